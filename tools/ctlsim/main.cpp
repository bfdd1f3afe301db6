// Plays one controller until interrupted:
//   ctlsim [--tcp PORT] [--pty] [--modem] [--address N] [--version V] [--destroyed T,T,...] [--blank]
// --tcp listens on 127.0.0.1:PORT, --pty serves a pseudo-terminal and prints its path
// (point the program at it with QVR_COM<n>=<path>); --modem puts a Hayes modem in front of
// the pseudo-terminal controller and prints the modem's path instead. Without --tcp, --pty
// is taken. The controller is a demonstration one (software version 13, a name, one user
// with code 1111 and password 111111) unless --blank asks for empty tables; --version and
// --destroyed change its software version and mark tables destroyed.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "ctlsim/access.h"
#include "ctlsim/archive.h"
#include "ctlsim/logs.h"
#include "ctlsim/clock.h"
#include "ctlsim/ctlsim.h"
#include "ctlsim/demo.h"
#include "ctlsim/modem.h"
#include "ctlsim/tablestate.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
void OnSignal(int) { g_stop = 1; }

void Usage() {
    std::fprintf(stderr,
                 "usage: ctlsim [--tcp PORT] [--pty] [--modem] [--address N] [--version V] "
                 "[--destroyed T,T,...] [--blank]\n");
}
}  // namespace

int main(int argc, char** argv) {
    int tcpPort = -1;
    bool pty = false;
    int address = 1;
    bool modem = false;
    bool blank = false;
    int version = -1;
    std::vector<int> destroyed;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--tcp") && i + 1 < argc) {
            tcpPort = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--pty")) {
            pty = true;
        } else if (!std::strcmp(argv[i], "--address") && i + 1 < argc) {
            address = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--modem")) {
            modem = pty = true;
        } else if (!std::strcmp(argv[i], "--blank")) {
            blank = true;
        } else if (!std::strcmp(argv[i], "--version") && i + 1 < argc) {
            version = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--destroyed") && i + 1 < argc) {
            std::stringstream list(argv[++i]);
            std::string item;
            while (std::getline(list, item, ',')) destroyed.push_back(std::atoi(item.c_str()));
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

    // The controller as asked for: demonstration tables, version, destroyed tables, and the
    // reset of non-volatile data.
    std::vector<std::unique_ptr<ctlsim::ArchiveSim>> archives;
    std::vector<std::unique_ptr<ctlsim::LogSim>> logs;
    auto prepare = [&](ctlsim::CtlSim& sim) {
        if (!blank) {
            ctlsim::FillDemoController(sim);
            ctlsim::RequireRegisteredWriter(sim);
            // Archives and logs up to now, then the clock a little behind the PC.
            CtlDateTime now;
            DateTimeToCtl(Now(), now);
            archives.push_back(std::make_unique<ctlsim::ArchiveSim>(sim));
            archives.back()->FillDemo(now);
            logs.push_back(std::make_unique<ctlsim::LogSim>(sim));
            logs.back()->FillDemo(now);
            ctlsim::SetClock(sim, Now() - 25.0 / 86400);
        }
        if (version >= 0) ctlsim::SetSoftwareVersion(sim, uint8_t(version));
        if (!destroyed.empty()) ctlsim::SetDestroyedTables(sim, destroyed);
        ctlsim::InstallResetHandler(sim);
        ctlsim::InstallClockHandler(sim, !blank);
    };

    // One simulator per transport, each holding its own tables.
    std::unique_ptr<ctlsim::CtlSim> overTcp, overPty;
    std::unique_ptr<ctlsim::HayesModem> hayes;
    if (tcpPort >= 0) {
        overTcp = std::make_unique<ctlsim::CtlSim>(uint8_t(address));
        prepare(*overTcp);
        int port = overTcp->StartTcp(uint16_t(tcpPort));
        if (port < 0) {
            std::fprintf(stderr, "ctlsim: cannot listen on 127.0.0.1:%d\n", tcpPort);
            return 1;
        }
        std::printf("TCP 127.0.0.1:%d, address %d\n", port, address);
    }
    if (pty) {
        overPty = std::make_unique<ctlsim::CtlSim>(uint8_t(address));
        prepare(*overPty);
        std::string path = overPty->StartPty();
        if (path.empty()) {
            std::fprintf(stderr, "ctlsim: cannot create a pseudo-terminal\n");
            return 1;
        }
        if (modem) {
            hayes = std::make_unique<ctlsim::HayesModem>();
            path = hayes->Start(path);
            if (path.empty()) {
                std::fprintf(stderr, "ctlsim: cannot start the modem\n");
                return 1;
            }
            std::printf("modem %s\n", path.c_str());
        } else {
            std::printf("%s\n", path.c_str());
        }
    }
    std::fflush(stdout);
    while (!g_stop) pause();
    return 0;
}
