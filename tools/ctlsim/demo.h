// A plausible controller for trying the program without hardware and for the end-to-end
// tests: identification of a software-version-13 controller with no destroyed table, a
// name, system parameters, chromatograph and moisture-analyser types, one flow computer and
// one registered user.
#pragma once
#include <cstdint>

namespace ctlsim {

class CtlSim;

// The user the demonstration controller knows: code "1111", password "111111".
constexpr const char* kDemoUserCode = "1111";
constexpr const char* kDemoUserPassword = "111111";

void FillDemoController(CtlSim& sim, bool moistureAnalyser = true);

}  // namespace ctlsim
