#include "ctlsim/modem.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ctlsim {

namespace {

enum Code { kOk = 0, kConnect = 1, kNoCarrier = 3, kError = 4, kNoDialTone = 6, kBusy = 7, kNoAnswer = 8 };

int OpenRaw(const char* path) {
    int fd = open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    termios tio;
    if (tcgetattr(fd, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

void WriteAll(int fd, const uint8_t* p, size_t n) {
    size_t done = 0;
    int spins = 0;
    while (fd >= 0 && done < n && spins < 200) {
        ssize_t w = write(fd, p + done, n - done);
        if (w > 0) {
            done += size_t(w);
        } else if (w < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd q{fd, POLLOUT, 0};
            poll(&q, 1, 10);
            ++spins;
        } else {
            return;
        }
    }
}

}  // namespace

HayesModem::HayesModem() = default;
HayesModem::~HayesModem() { Stop(); }

std::string HayesModem::Start(const std::string& linePath) {
    Stop();
    int m = posix_openpt(O_RDWR | O_NOCTTY);
    if (m < 0) return {};
    char name[128] = {};
    if (grantpt(m) != 0 || unlockpt(m) != 0 || ptsname_r(m, name, sizeof name) != 0) {
        close(m);
        return {};
    }
    // Held open so the master never sees a hang-up between the program's opens and closes.
    int s = OpenRaw(name);
    if (s < 0) {
        close(m);
        return {};
    }
    fcntl(m, F_SETFL, fcntl(m, F_GETFL) | O_NONBLOCK);
    master_ = m;
    slave_ = s;
    if (!linePath.empty()) line_fd_ = OpenRaw(linePath.c_str());
    {
        std::lock_guard<std::mutex> lk(mu_);
        echo_ = verbose_ = true;
        connected_ = online_ = opt_.startOnline;
        line_.clear();
        plusCount_ = 0;
        dialPending_ = false;
        lastByte_ = Clock::now();
    }
    if (pipe(wake_) != 0) return {};
    running_ = true;
    thread_ = std::thread([this] { Run(); });
    return name;
}

void HayesModem::Stop() {
    if (thread_.joinable()) {
        running_ = false;
        char c = 1;
        if (write(wake_[1], &c, 1) < 0) {
        }
        thread_.join();
    }
    for (int* fd : {&wake_[0], &wake_[1], &master_, &slave_, &line_fd_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
}

void HayesModem::SetOptions(const ModemOptions& o) {
    std::lock_guard<std::mutex> lk(mu_);
    opt_ = o;
    if (!thread_.joinable()) connected_ = online_ = o.startOnline;
}

std::string HayesModem::Received() {
    std::lock_guard<std::mutex> lk(mu_);
    return received_;
}

std::vector<std::string> HayesModem::Commands() {
    std::lock_guard<std::mutex> lk(mu_);
    return commands_;
}

std::string HayesModem::LastDialled() {
    std::lock_guard<std::mutex> lk(mu_);
    return dialled_;
}

bool HayesModem::Online() {
    std::lock_guard<std::mutex> lk(mu_);
    return online_;
}

bool HayesModem::Connected() {
    std::lock_guard<std::mutex> lk(mu_);
    return connected_;
}

int HayesModem::HangUps() {
    std::lock_guard<std::mutex> lk(mu_);
    return hangUps_;
}

void HayesModem::ClearLog() {
    std::lock_guard<std::mutex> lk(mu_);
    received_.clear();
    commands_.clear();
    dialled_.clear();
    hangUps_ = 0;
}

void HayesModem::Run() {
    uint8_t buf[512];
    while (running_) {
        pollfd fds[3] = {{wake_[0], POLLIN, 0}, {master_, POLLIN, 0}, {line_fd_, POLLIN, 0}};
        nfds_t n = line_fd_ >= 0 ? 3 : 2;
        int r = poll(fds, n, 5);
        if (!running_ || (fds[0].revents & POLLIN)) break;
        if (r > 0 && (fds[1].revents & POLLIN)) {
            ssize_t got = read(master_, buf, sizeof buf);
            if (got > 0) {
                std::lock_guard<std::mutex> lk(mu_);
                FromProgram(buf, size_t(got));
            }
        }
        if (r > 0 && n == 3 && (fds[2].revents & POLLIN)) {
            ssize_t got = read(line_fd_, buf, sizeof buf);
            if (got > 0) {
                std::lock_guard<std::mutex> lk(mu_);
                if (online_) WriteAll(master_, buf, size_t(got));
            }
        }
        if (r > 0 && !(fds[1].revents & POLLIN) && (fds[1].revents & (POLLHUP | POLLERR)))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard<std::mutex> lk(mu_);
        Tick();
    }
}

void HayesModem::FromProgram(const uint8_t* p, size_t n) {
    received_.append(reinterpret_cast<const char*>(p), n);
    for (size_t i = 0; i < n; ++i) {
        const uint8_t b = p[i];
        const auto now = Clock::now();
        const bool quiet = now - lastByte_ >= std::chrono::milliseconds(opt_.guardMs);
        if (online_) {
            // "+++" counts only after a guard time of silence; anything else is data.
            if (b == '+' && !opt_.ignoreEscape && ((plusCount_ == 0 && quiet) || (plusCount_ > 0 && plusCount_ < 3))) {
                ++plusCount_;
            } else {
                if (plusCount_ > 0) {
                    const std::string held(size_t(plusCount_), '+');
                    ToLine(reinterpret_cast<const uint8_t*>(held.data()), held.size());
                    plusCount_ = 0;
                }
                ToLine(&b, 1);
            }
        } else {
            if (dialPending_) {
                // A key during dialling ends the call attempt.
                dialPending_ = false;
                Say(ResultText(kNoCarrier));
            }
            CommandByte(b);
        }
        lastByte_ = now;
    }
}

void HayesModem::CommandByte(uint8_t b) {
    if (opt_.silent) return;
    if (echo_) SendRaw(std::string(1, char(b)));
    if (b == '\r') {
        std::string line;
        line.swap(line_);
        Execute(line);
    } else if (b == 8) {
        if (!line_.empty()) line_.pop_back();
    } else if (b != '\n' && b != 0 && line_.size() < 300) {
        line_ += char(b);
    }
}

void HayesModem::Execute(const std::string& line) {
    size_t at = std::string::npos;
    for (size_t i = 0; i + 1 < line.size(); ++i)
        if (std::toupper(uint8_t(line[i])) == 'A' && std::toupper(uint8_t(line[i + 1])) == 'T') {
            at = i;
            break;
        }
    if (at == std::string::npos) return;  // not a command
    const std::string cmd = line.substr(at);
    commands_.push_back(cmd);
    std::string body;
    for (size_t i = 2; i < cmd.size(); ++i) body += char(std::toupper(uint8_t(cmd[i])));

    if (!opt_.errorOn.empty() && cmd.find(opt_.errorOn) != std::string::npos) {
        Say(ResultText(kError));
        return;
    }
    if (!body.empty() && body[0] == 'D') {
        std::string number = cmd.substr(3);
        if (!number.empty() && (std::toupper(uint8_t(number[0])) == 'T' || std::toupper(uint8_t(number[0])) == 'P'))
            number.erase(0, 1);
        dialled_ = number;
        if (opt_.dial == DialOutcome::Silent) return;
        dialPending_ = true;
        dialDue_ = Clock::now() + std::chrono::milliseconds(opt_.dialDelayMs);
        return;
    }
    if (body == "H" || body == "H0") {
        if (connected_) ++hangUps_;
        connected_ = online_ = false;
        Say(ResultText(kOk));
        return;
    }
    if (body == "+CPAS") {
        if (opt_.cpasStatus < 0) {
            Say(ResultText(kError));
            return;
        }
        const std::string status = "+CPAS: " + std::to_string(opt_.cpasStatus);
        SendRaw(verbose_ ? "\r\n" + status + "\r\n" : status + "\r\n");
        Say(ResultText(kOk));
        return;
    }
    if (body == "O" || body == "O0") {
        if (connected_) {
            online_ = true;
            plusCount_ = 0;
            Say(ResultText(kConnect));
        } else {
            Say(ResultText(kNoCarrier));
        }
        return;
    }
    for (size_t i = 0; i + 1 < body.size(); ++i) {
        if (body[i] == 'E' && (body[i + 1] == '0' || body[i + 1] == '1')) echo_ = body[i + 1] == '1';
        if (body[i] == 'V' && (body[i + 1] == '0' || body[i + 1] == '1')) verbose_ = body[i + 1] == '1';
    }
    Say(ResultText(kOk));
}

void HayesModem::Tick() {
    const auto now = Clock::now();
    const auto guard = std::chrono::milliseconds(opt_.guardMs);
    if (online_ && plusCount_ > 0 && now - lastByte_ >= guard) {
        if (plusCount_ == 3) {
            online_ = false;
            plusCount_ = 0;
            line_.clear();
            Say(ResultText(kOk));
        } else {
            const std::string held(size_t(plusCount_), '+');
            ToLine(reinterpret_cast<const uint8_t*>(held.data()), held.size());
            plusCount_ = 0;
        }
    }
    if (dialPending_ && now >= dialDue_) {
        dialPending_ = false;
        switch (opt_.dial) {
            case DialOutcome::Connect:
                connected_ = online_ = true;
                plusCount_ = 0;
                lastByte_ = now;
                Say(ResultText(kConnect));
                break;
            case DialOutcome::Busy: Say(ResultText(kBusy)); break;
            case DialOutcome::NoCarrier: Say(ResultText(kNoCarrier)); break;
            case DialOutcome::NoDialTone: Say(ResultText(kNoDialTone)); break;
            case DialOutcome::Error: Say(ResultText(kError)); break;
            case DialOutcome::NoAnswer: Say(ResultText(kNoAnswer)); break;
            case DialOutcome::Silent: break;
            case DialOutcome::PowerOff:
                for (int* fd : {&master_, &slave_}) {
                    if (*fd >= 0) close(*fd);
                    *fd = -1;
                }
                connected_ = online_ = false;
                break;
        }
    }
}

std::string HayesModem::ResultText(int code) {
    if (!verbose_) return std::to_string(code);
    switch (code) {
        case kOk: return "OK";
        case kConnect: return "CONNECT 9600";
        case kNoCarrier: return "NO CARRIER";
        case kError: return "ERROR";
        case kNoDialTone: return "NO DIALTONE";
        case kBusy: return "BUSY";
        case kNoAnswer: return "NO ANSWER";
    }
    return "ERROR";
}

void HayesModem::Say(const std::string& text) {
    if (opt_.silent) return;
    SendRaw(verbose_ ? "\r\n" + text + "\r\n" : text + "\r");
}

void HayesModem::SendRaw(const std::string& text) {
    WriteAll(master_, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void HayesModem::ToLine(const uint8_t* p, size_t n) { WriteAll(line_fd_, p, n); }

}  // namespace ctlsim
