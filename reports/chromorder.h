// Display orders of the gas parameters: which GasAnalysis index stands in each of the 20
// display columns. 255 marks a column that has a heading but no values.
#pragma once
#include <cstdint>

extern const uint8_t ChromParamDisplayOrder[20];
extern const uint8_t ChromParamDisplayOrderNoOxygen[20];
// The order in force for values; headings always follow ChromParamDisplayOrder.
extern const uint8_t* ActiveChromParamOrder;

// Heading vocabulary of the gas parameters, indexed by GasAnalysis index (UTF-8): three
// heading lines each (mole fractions or volume fractions; a single blank stands for an
// empty line) and the unit text (heats in MJ or in kcal).
extern const char* const ChromParamHeadersMolar[20][3];
extern const char* const ChromParamHeadersVolume[20][3];
extern const char* const ChromParamUnitsMJ[20];
extern const char* const ChromParamUnitsKcal[20];
