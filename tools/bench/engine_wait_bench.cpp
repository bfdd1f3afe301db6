// Measures the CPU time the process uses while the exchange engine waits 2 s for a
// controller that never answers, over a pseudo-terminal and over TCP. The wait must cost
// a small fraction of the wall time. Exit status 1 when it costs more than 10 %.
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "ctlsim/ctlsim.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"

namespace {

double CpuSeconds(int who) {
    rusage ru{};
    getrusage(who, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

bool Measure(const char* name, hgcbox& box) {
    int pumps = 0;
    qvr::SetMessagePump([&] { ++pumps; });
    double cpu0 = CpuSeconds(RUSAGE_SELF), thr0 = CpuSeconds(RUSAGE_THREAD);
    auto t0 = std::chrono::steady_clock::now();
    TableRequest r{0, 0, 18};
    bool ok = box.Request(1, &r, 3, 0);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    double cpu = CpuSeconds(RUSAGE_SELF) - cpu0, thr = CpuSeconds(RUSAGE_THREAD) - thr0;
    qvr::SetMessagePump(nullptr);
    std::printf("%-6s result %u (%s), wall %.3f s, process CPU %.4f s (%.2f %%), engine thread CPU %.4f s, "
                "%d pump calls\n",
                name, box.Result, ok ? "reply" : "no reply", wall, cpu, 100.0 * cpu / wall, thr, pumps);
    return cpu < 0.10 * wall;
}

}  // namespace

int main() {
    bool good = true;

    ctlsim::CtlSim serial(1);
    ctlsim::Faults silent;
    silent.silent = true;
    serial.SetFaults(silent);
    std::string path = serial.StartPty();
    if (path.empty()) {
        std::fprintf(stderr, "cannot create a pseudo-terminal\n");
        return 2;
    }
    setenv("QVR_COM99", path.c_str(), 1);
    hgcbox box(1);
    box.ComPort = 99;
    box.LinkKind = 0;
    box.Baud = 9600;
    box.DoClosePort = 0;
    box.ReplyMs = 2000;
    box.Tries = 1;
    if (!box.ReopenPort()) {
        std::fprintf(stderr, "%s\n", box.ResultText());
        return 2;
    }
    good &= Measure("serial", box);
    CloseComPort(box.PortHandle);
    box.PortHandle = -1;

    ctlsim::CtlSim net(1);
    net.SetFaults(silent);
    int port = net.StartTcp(0);
    int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(uint16_t(port));
    if (port < 0 || connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        std::fprintf(stderr, "cannot connect to the simulator\n");
        return 2;
    }
    box.LinkKind = 2;
    box.Socket = s;
    good &= Measure("tcp", box);  // includes the 500 ms pause before the send
    close(s);
    return good ? 0 : 1;
}
