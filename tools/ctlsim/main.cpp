// Plays one controller until interrupted:
//   ctlsim [--tcp PORT] [--pty] [--modem] [--address N] [--version V] [--destroyed T,T,...] [--blank]
// --tcp listens on 127.0.0.1:PORT, --pty serves a pseudo-terminal and prints its path
// (point the program at it with QVR_COM<n>=<path>); --modem puts a Hayes modem in front of
// the pseudo-terminal controller and prints the modem's path instead. Without --tcp, --pty
// is taken. The controller is a demonstration one (software version 13, a name, one user
// with code 1111 and password 111111) unless --blank asks for empty tables; --version and
// --destroyed change its software version and mark tables destroyed.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <pthread.h>
#include <signal.h>

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

void Usage(std::FILE* to) {
    std::fputs(
        "usage: ctlsim [options]\n"
        "Plays one controller until Ctrl-C or SIGTERM.\n"
        "  --tcp PORT          listen on 127.0.0.1:PORT (0: any free port; the port is printed)\n"
        "  --pty               serve a pseudo-terminal and print its path; point the program\n"
        "                      at it with QVR_COM<n>=<path> (taken when --tcp is not given)\n"
        "  --modem             put a Hayes modem in front of the pseudo-terminal controller\n"
        "                      and print the modem's path instead\n"
        "  --address N         the controller's address, 0..254 (default 1)\n"
        "  --version V         the software version the controller reports (13; 14 with --blank)\n"
        "  --destroyed T,T,... mark these configuration tables destroyed, e.g. 3,6\n"
        "  --blank             a bare controller instead of the demonstration one: empty\n"
        "                      tables, no user, archives or logs, and any write accepted\n"
        "  -h, --help          show this text\n"
        "Without --blank: software version 13, user code 1111, password 111111.\n",
        to);
}

// A whole decimal number within [low, high]; false for anything else.
bool ParseNumber(const char* text, long low, long high, int& value) {
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || n < low || n > high) return false;
    value = int(n);
    return true;
}

// The controllers and what serves them. Members are destroyed in reverse order, so the
// simulators outlive the archives and logs whose destructors take their handlers off
// them; before any of that the modem and the simulators' threads are stopped, so that no
// request is being handled while the handlers go.
struct Controllers {
    std::unique_ptr<ctlsim::CtlSim> overTcp, overPty;
    std::vector<std::unique_ptr<ctlsim::ArchiveSim>> archives;
    std::vector<std::unique_ptr<ctlsim::LogSim>> logs;
    std::unique_ptr<ctlsim::HayesModem> hayes;

    Controllers() = default;
    Controllers(const Controllers&) = delete;
    Controllers& operator=(const Controllers&) = delete;
    ~Controllers() {
        if (hayes) hayes->Stop();
        if (overPty) overPty->Stop();
        if (overTcp) overTcp->Stop();
    }
};
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
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (!std::strcmp(arg, "-h") || !std::strcmp(arg, "--help")) {
            Usage(stdout);
            return 0;
        } else if (!std::strcmp(arg, "--tcp")) {
            ok = value && ParseNumber(value, 0, 65535, tcpPort);
            ++i;
        } else if (!std::strcmp(arg, "--pty")) {
            pty = true;
        } else if (!std::strcmp(arg, "--address")) {
            ok = value && ParseNumber(value, 0, 254, address);
            ++i;
        } else if (!std::strcmp(arg, "--modem")) {
            modem = pty = true;
        } else if (!std::strcmp(arg, "--blank")) {
            blank = true;
        } else if (!std::strcmp(arg, "--version")) {
            ok = value && ParseNumber(value, 0, 255, version);
            ++i;
        } else if (!std::strcmp(arg, "--destroyed")) {
            ok = value != nullptr;
            std::stringstream list(value ? value : "");
            std::string item;
            int table = 0;
            while (ok && std::getline(list, item, ','))
                if ((ok = ParseNumber(item.c_str(), 0, 255, table))) destroyed.push_back(table);
            ++i;
        } else {
            std::fprintf(stderr, "ctlsim: unknown option %s\n", arg);
            Usage(stderr);
            return 2;
        }
        if (!ok) {
            std::fprintf(stderr, "ctlsim: missing or wrong value for %s\n", arg);
            Usage(stderr);
            return 2;
        }
    }
    if (tcpPort < 0) pty = true;

    // SIGINT and SIGTERM are blocked in every thread (the simulators' threads inherit the
    // mask) and taken only while the main thread waits for them, so none is missed between
    // the check and the wait.
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    sigset_t stopSignals, waitMask;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);

    Controllers c;
    // The controller as asked for: demonstration tables, version, destroyed tables, and the
    // reset of non-volatile data.
    auto prepare = [&](ctlsim::CtlSim& sim) {
        if (!blank) {
            ctlsim::FillDemoController(sim);
            ctlsim::RequireRegisteredWriter(sim);
            // Archives and logs up to now, then the clock a little behind the PC.
            CtlDateTime now;
            DateTimeToCtl(Now(), now);
            c.archives.push_back(std::make_unique<ctlsim::ArchiveSim>(sim));
            c.archives.back()->FillDemo(now);
            c.logs.push_back(std::make_unique<ctlsim::LogSim>(sim));
            c.logs.back()->FillDemo(now);
            ctlsim::SetClock(sim, Now() - 25.0 / 86400);
        }
        if (version >= 0) ctlsim::SetSoftwareVersion(sim, uint8_t(version));
        if (!destroyed.empty()) ctlsim::SetDestroyedTables(sim, destroyed);
        ctlsim::InstallResetHandler(sim);
        ctlsim::InstallClockHandler(sim, !blank);
    };

    // One simulator per transport, each holding its own tables.
    if (tcpPort >= 0) {
        c.overTcp = std::make_unique<ctlsim::CtlSim>(uint8_t(address));
        prepare(*c.overTcp);
        int port = c.overTcp->StartTcp(uint16_t(tcpPort));
        if (port < 0) {
            std::fprintf(stderr, "ctlsim: cannot listen on 127.0.0.1:%d\n", tcpPort);
            return 1;
        }
        std::printf("TCP 127.0.0.1:%d, address %d\n", port, address);
    }
    if (pty) {
        c.overPty = std::make_unique<ctlsim::CtlSim>(uint8_t(address));
        prepare(*c.overPty);
        std::string path = c.overPty->StartPty();
        if (path.empty()) {
            std::fprintf(stderr, "ctlsim: cannot create a pseudo-terminal\n");
            return 1;
        }
        if (modem) {
            c.hayes = std::make_unique<ctlsim::HayesModem>();
            path = c.hayes->Start(path);
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
    while (!g_stop) sigsuspend(&waitMask);
    return 0;
}
