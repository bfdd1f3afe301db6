// Measures the CPU time the exchange engine uses: while it waits 2 s for a controller that
// never answers, over a pseudo-terminal and over TCP, and while it reads a day of 5-minute
// chromatograph records (145 requests of two 93-byte records) over a direct line (RTS keyed
// for every request) on a pseudo-terminal at 115200 bit/s, the controller's replies going
// out byte by byte at that rate. The window's messages are processed by a Qt event loop, as
// in the program. Each must cost a small fraction of the wall time. It also measures how
// late the exact waits of the RTS keying (the 2 ms lead, a hold of a few milliseconds) end
// and what they cost. Exit status 1 when one costs more than 10 %, or an exact wait ends
// half a millisecond late on average.
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <QCoreApplication>

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

// A day of 5-minute chromatograph records over a direct line at 115200 bit/s.
bool MeasureRead() {
    ctlsim::CtlSim sim(1);
    sim.SetHandler(14, [](ctlsim::CtlSim&, const std::vector<uint8_t>& frame) {
        ctlsim::Reply r;
        r.data.assign(1 + 2 * 93, 0x5A);
        r.data[0] = 2;
        std::copy(frame.begin() + 7, frame.begin() + 12, r.data.begin() + 1);  // every reply its own: the start asked
        return r;
    });
    const std::string path = sim.StartPty();
    if (path.empty()) return false;
    sim.SetLineRate(115200);
    setenv("QVR_COM98", path.c_str(), 1);
    hgcbox box(1);
    box.ComPort = 98;
    box.LinkKind = 0;
    box.Baud = 115200;
    box.DoClosePort = 0;
    box.ReplyMs = 2000;
    box.Tries = 1;
    if (!box.ReopenPort()) return false;
    int pumps = 0;
    qvr::SetMessagePump([&] {
        ++pumps;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    });
    const double thr0 = CpuSeconds(RUSAGE_THREAD);
    const auto t0 = std::chrono::steady_clock::now();
    int answered = 0;
    for (int i = 0; i < 145; ++i) {
        uint8_t body[13] = {1, 0, 0, 26, 3, 10, uint8_t(i / 12), uint8_t(i % 12 * 5), 26, 3, 11, 0, 0};
        answered += box.RequestRecords(14, body, sizeof body, {}) == RequestOutcome::Answer;
    }
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double thr = CpuSeconds(RUSAGE_THREAD) - thr0;
    qvr::SetMessagePump(nullptr);
    CloseComPort(box.PortHandle);
    std::printf("read   %d of 145 answered, wall %.3f s, engine thread CPU %.4f s (%.2f %%), %d pump calls\n", answered,
                wall, thr, 100.0 * thr / wall, pumps);
    return answered == 145 && thr < 0.10 * wall;
}

// Exact waits of 2 ms and 3.3 ms, 300 of each: how late they end, and their CPU.
bool MeasureExactWaits() {
    using Clock = std::chrono::steady_clock;
    const double thr0 = CpuSeconds(RUSAGE_THREAD);
    const auto t0 = Clock::now();
    double sum = 0, worst = 0;
    const int n = 600;
    for (int i = 0; i < n; ++i) {
        const auto t = Clock::now() + std::chrono::microseconds(i % 2 ? 3300 : 2000);
        WaitUntilExactly(t);
        const double late = std::chrono::duration<double, std::micro>(Clock::now() - t).count();
        sum += late;
        worst = std::max(worst, late);
    }
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const double thr = CpuSeconds(RUSAGE_THREAD) - thr0;
    std::printf("exact  %d waits, late by %.1f us on average, %.1f us at most, CPU %.4f s in %.3f s (%.2f %%)\n", n,
                sum / n, worst, thr, wall, 100.0 * thr / wall);
    return sum / n < 500 && thr < 0.10 * wall;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
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
    good &= MeasureRead();
    good &= MeasureExactWaits();
    return good ? 0 : 1;
}
