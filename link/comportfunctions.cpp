#include "link/comportfunctions.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>

bool SetPortBaudExact(int fd, uint32_t baud);  // comport_termios2.cpp

int64_t PerfFrequency() {
    using P = std::chrono::steady_clock::period;
    return int64_t(P::den / P::num);
}

void WaitUntilExactly(std::chrono::steady_clock::time_point t) {
    using Clock = std::chrono::steady_clock;
    static thread_local const bool slackLowered = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)slackLowered;
    constexpr auto kSpin = std::chrono::microseconds(150);
    if (t - Clock::now() > kSpin) {
        // steady_clock is CLOCK_MONOTONIC.
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>((t - kSpin).time_since_epoch()).count();
        const timespec at{time_t(ns / 1000000000), long(ns % 1000000000)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    while (Clock::now() < t) {
    }
}

std::string ComPortDevice(int n) {
    std::string var = "QVR_COM" + std::to_string(n);
    if (const char* over = std::getenv(var.c_str()); over && *over) return over;
    if (n >= 1 && n <= 32) return "/dev/ttyS" + std::to_string(n - 1);
    if (n >= 33 && n <= 64) return "/dev/ttyUSB" + std::to_string(n - 33);
    if (n >= 65 && n <= 96) return "/dev/ttyACM" + std::to_string(n - 65);
    return {};
}

uint32_t ClampBaud(uint32_t baud) { return std::clamp<uint32_t>(baud, 110, 256000); }

namespace {

struct StdRate {
    uint32_t rate;
    speed_t code;
};
constexpr StdRate kStdRates[] = {
    {110, B110},       {134, B134},       {150, B150},       {200, B200},     {300, B300},
    {600, B600},       {1200, B1200},     {1800, B1800},     {2400, B2400},   {4800, B4800},
    {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600}, {115200, B115200},
    {230400, B230400},
};

const StdRate& NearestStdRate(uint32_t baud) {
    const StdRate* best = &kStdRates[0];
    for (const StdRate& r : kStdRates) {
        uint32_t d = r.rate > baud ? r.rate - baud : baud - r.rate;
        uint32_t bd = best->rate > baud ? best->rate - baud : baud - best->rate;
        if (d < bd) best = &r;
    }
    return *best;
}

bool SetStdRate(int fd, speed_t code) {
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return false;
    cfsetispeed(&tio, code);
    cfsetospeed(&tio, code);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

bool SetModemLine(int fd, int line, bool on) {
    int bits = line;
    return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0;
}

}  // namespace

void ApplyLineSettings(termios& tio, int dataBits, int parity, int stopBits) {
    cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~(CRTSCTS | CSIZE | PARENB | PARODD | CSTOPB);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY);
    static const tcflag_t kSize[] = {CS5, CS5, CS6, CS7, CS8};  // 4 bits has no code: 5
    tio.c_cflag |= kSize[std::clamp(dataBits, 4, 8) - 4];
    if (parity == 1) tio.c_cflag |= PARENB;
    if (parity == 2) tio.c_cflag |= PARENB | PARODD;
    if (stopBits == 1 || stopBits == 2) tio.c_cflag |= CSTOPB;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

bool SetPortBaud(int fd, uint32_t baud) {
    if (fd < 0) return false;
    baud = ClampBaud(baud);
    const StdRate& near = NearestStdRate(baud);
    if (near.rate == baud) return SetStdRate(fd, near.code);
    if (SetPortBaudExact(fd, baud)) return true;
    return SetStdRate(fd, near.code);
}

bool SetRts(int fd, bool on) { return fd >= 0 && SetModemLine(fd, TIOCM_RTS, on); }
bool SetDtr(int fd, bool on) { return fd >= 0 && SetModemLine(fd, TIOCM_DTR, on); }

bool PurgePort(int fd) { return fd >= 0 && tcflush(fd, TCIOFLUSH) == 0; }

int OpenComPort(int port, uint32_t baud, int dataBits, int parity, int stopBits,
                uint32_t /*inQueue*/, uint32_t /*outQueue*/, uint8_t dtr, uint8_t rts) {
    std::string dev = ComPortDevice(port);
    if (dev.empty()) return kNoPort;
    int fd = ::open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return kNoPort;
    // Not shared: a second open of the device is refused while this one holds it.
    if (!isatty(fd) || ioctl(fd, TIOCEXCL) != 0) {
        ::close(fd);
        return kNoPort;
    }
    termios tio;
    if (tcgetattr(fd, &tio) != 0) {
        CloseComPort(fd);
        return kNoPort;
    }
    ApplyLineSettings(tio, dataBits, parity, stopBits);
    if (tcsetattr(fd, TCSANOW, &tio) != 0 || !SetPortBaud(fd, baud)) {
        CloseComPort(fd);
        return kNoPort;
    }
    // RTS means "transmitting" on the half-duplex line: keep it down until a frame goes out.
    SetRts(fd, rts != 0);
    SetDtr(fd, dtr != 0);
    return fd;
}

void CloseComPort(int fd) {
    if (fd < 0) return;
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

bool ClearPortErrors(int fd) { return fd >= 0 && fcntl(fd, F_GETFL) != -1; }

bool SetPortTimeouts(int fd, uint32_t readInterval, uint32_t readMultiplier, uint32_t readConstant) {
    if (fd < 0) return false;
    termios tio;
    if (tcgetattr(fd, &tio) != 0) return false;
    int flags = fcntl(fd, F_GETFL);
    if (flags == -1) return false;
    bool immediate = readInterval == kMaxDword && readMultiplier == 0 && readConstant == 0;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = immediate ? 0 : cc_t(std::min<uint32_t>((readConstant + 99) / 100, 255));
    if (tcsetattr(fd, TCSANOW, &tio) != 0) return false;
    flags = immediate ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    return fcntl(fd, F_SETFL, flags) == 0;
}

bool ContainsSubstr(const char* text, const char* pattern) {
    if (!text || !pattern) return false;
    size_t tl = std::strlen(text), pl = std::strlen(pattern);
    if (tl == 0 || tl < pl) return false;
    return std::strstr(text, pattern) != nullptr;
}
