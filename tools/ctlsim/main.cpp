// Plays one controller until interrupted:
//   ctlsim [--tcp PORT] [--pty] [--address N]
// --tcp listens on 127.0.0.1:PORT, --pty serves a pseudo-terminal and prints its path
// (point the program at it with QVR_COM<n>=<path>). Without either, --pty is taken.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

#include "ctlsim/ctlsim.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

void Usage() {
    std::fprintf(stderr, "usage: ctlsim [--tcp PORT] [--pty] [--address N]\n");
}
}  // namespace

int main(int argc, char** argv) {
    int tcpPort = -1;
    bool pty = false;
    int address = 1;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--tcp") && i + 1 < argc) {
            tcpPort = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--pty")) {
            pty = true;
        } else if (!std::strcmp(argv[i], "--address") && i + 1 < argc) {
            address = std::atoi(argv[++i]);
        } else {
            Usage();
            return 2;
        }
    }
    if (address < 0 || address > 254 || tcpPort > 65535) {
        Usage();
        return 2;
    }
    if (tcpPort < 0) pty = true;

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    // One simulator per transport, each holding its own tables.
    std::unique_ptr<ctlsim::CtlSim> overTcp, overPty;
    if (tcpPort >= 0) {
        overTcp = std::make_unique<ctlsim::CtlSim>(uint8_t(address));
        int port = overTcp->StartTcp(uint16_t(tcpPort));
        if (port < 0) {
            std::fprintf(stderr, "ctlsim: cannot listen on 127.0.0.1:%d\n", tcpPort);
            return 1;
        }
        std::printf("TCP 127.0.0.1:%d, address %d\n", port, address);
    }
    if (pty) {
        overPty = std::make_unique<ctlsim::CtlSim>(uint8_t(address));
        std::string path = overPty->StartPty();
        if (path.empty()) {
            std::fprintf(stderr, "ctlsim: cannot create a pseudo-terminal\n");
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    std::fflush(stdout);
    while (!g_stop) pause();
    return 0;
}
