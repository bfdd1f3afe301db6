// A simulated controller on a pseudo-terminal and the program's engine (g_Hgc) on a direct
// line to it, for the tests of the commands that talk to the controller.
#pragma once
#include <cstdlib>
#include <memory>
#include <string>

#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"

class SimLink {
public:
    // com: the COM number the engine uses for this simulator.
    explicit SimLink(uint8_t address, int com = 61) : sim(address), com_(com) {
        path = sim.StartPty();
        if (!path.empty()) setenv(("QVR_COM" + std::to_string(com)).c_str(), path.c_str(), 1);
    }
    ~SimLink() {
        Detach();
        sim.Stop();
    }
    // Makes g_Hgc an engine talking to this simulator at the given address.
    bool Attach(uint8_t address) {
        Detach();
        box_ = std::make_unique<hgcbox>(address);
        box_->ComPort = uint8_t(com_);
        box_->LinkKind = 0;
        box_->Baud = 115200;
        box_->DoClosePort = 0;
        box_->ReplyMs = 1500;
        // A loaded machine (a sanitizer build beside busy loops) may stall the simulator for
        // tens of milliseconds inside a reply: that is no gap between bytes of the line.
        box_->InterByteMs = 1000;
        box_->Tries = 1;
        g_Hgc = box_.get();
        return box_->ReopenPort();
    }
    void Detach() {
        if (box_) {
            if (box_->PortHandle >= 0) CloseComPort(box_->PortHandle);
            box_->PortHandle = -1;
            if (g_Hgc == box_.get()) g_Hgc = nullptr;
            box_.reset();
        }
    }
    hgcbox* box() { return box_.get(); }

    ctlsim::CtlSim sim;
    std::string path;

private:
    int com_;
    std::unique_ptr<hgcbox> box_;
};
