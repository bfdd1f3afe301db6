#include "link/connectmodem.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "link/comportfunctions.h"

const char* const ModemResultTexts[kModemResultCount] = {
    "Соединение установлено",
    "Отсутствует сигнал АТС",
    "Номер абонента занят",
    "Потеря несущей",
    "Нет гудка в линии",
    "Абонент не отвечает",
    "Лимит времени, отведенного на соединение, исчерпан",
    "Модем отсутствует или не подключен",
    "Соединение не установлено",
    "Истекло время ожидания ответа от модема",
    "Попытка соединения прервана по требованию пользователя",
    "Нет готовности GSM",
};

ModemTimings g_ModemTimings;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSliceMs = 5;  // longest sleep between two looks at the port and the window
constexpr char kEscapeReply[] = "Escape...";

volatile bool g_EscPressed = false;
int g_EscWatchDepth = 0;
const void* g_EscWindow = nullptr;

// Sleeps for ms in short slices, keeping the window alive.
void Pause(uint32_t ms) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        qvr::ProcessMessages();
        auto now = Clock::now();
        if (now >= end) return;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<long long>(left + 1, kSliceMs)));
    }
}

// true when the port reports a hang-up: the modem switched off, the adapter pulled, the
// far end of the line closed. Such a port stays "ready" with nothing to read.
bool HungUp(const pollfd& p) { return (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0; }

// Sleeps up to ms or until input arrives on the port (or it hangs up).
void WaitInput(int port, int ms) {
    if (ms <= 0) return;
    pollfd p{port, POLLIN, 0};
    int r = poll(&p, 1, ms);
    if (r < 0 && errno != EINTR) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

enum class ByteStatus { Byte, None, HungUp };

// One byte if one has arrived, without waiting; HungUp when none has and the line is dead.
ByteStatus ReadByteNow(int port, uint8_t& b) {
    if (port < 0) return ByteStatus::None;
    pollfd p{port, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return ByteStatus::None;
    if ((p.revents & POLLIN) && ::read(port, &b, 1) == 1) return ByteStatus::Byte;
    return HungUp(p) ? ByteStatus::HungUp : ByteStatus::None;
}

bool LineHungUp(int port) {
    if (port < 0) return false;
    pollfd p{port, POLLIN, 0};
    return poll(&p, 1, 0) > 0 && HungUp(p);
}

void WriteBytes(int port, const char* p, size_t n) {
    size_t done = 0;
    const auto end = Clock::now() + std::chrono::seconds(2);
    while (done < n && port >= 0) {
        ssize_t w = ::write(port, p + done, n - done);
        if (w > 0) {
            done += size_t(w);
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EINTR) return;
        if (Clock::now() >= end) return;
        pollfd q{port, POLLOUT, 0};
        poll(&q, 1, kSliceMs);
    }
}

enum class LineStatus { Ok, Timeout, Escape, HungUp };

// Reads one reply line: bytes up to a CR or LF are dropped (the CR or LF is the line's first
// byte), then bytes are appended until more than 3 are in and the last is CR or LF, or 255
// are in. line holds kModemReplySize bytes and is zero-terminated on every way out.
LineStatus ReadLine(int port, char* line, Clock::time_point deadline, bool watchEsc) {
    size_t n = 0;
    bool started = false;
    line[0] = 0;
    for (;;) {
        qvr::ProcessMessages();
        if (watchEsc && g_EscPressed) {
            std::snprintf(line, kModemReplySize, "%s", kEscapeReply);
            return LineStatus::Escape;
        }
        uint8_t b;
        const ByteStatus got = ReadByteNow(port, b);
        // No reply can come over a line that hung up: the wait ends now, not at its deadline.
        if (got == ByteStatus::HungUp) return LineStatus::HungUp;
        if (got == ByteStatus::Byte) {
            bool eol = b == '\r' || b == '\n';
            if (!started) {
                if (eol) {
                    started = true;
                    line[n++] = char(b);
                }
            } else {
                line[n++] = char(b);
                if ((n > 3 && eol) || n >= kModemReplySize - 1) {
                    line[n] = 0;
                    return LineStatus::Ok;
                }
            }
            line[n] = 0;
            if (Clock::now() >= deadline) return LineStatus::Timeout;
            continue;
        }
        auto now = Clock::now();
        if (now >= deadline) return LineStatus::Timeout;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        WaitInput(port, int(std::min<long long>(left + 1, kSliceMs)));
    }
}

bool Has(const char* text, const char* pattern) { return std::strstr(text, pattern) != nullptr; }

void ShowStatus(qvr::IStatusBar* bar, const std::string& text) {
    if (!bar) return;
    bar->SetPanelText(0, text);
    bar->Repaint();
    qvr::ProcessMessages();
}

}  // namespace

// ---------------------------------------------------------------- Esc

bool ModemEscWatchActive() { return g_EscWatchDepth > 0; }
const void* ModemEscWindow() { return g_EscWindow; }
void ModemEscPress() {
    if (g_EscWatchDepth > 0) g_EscPressed = true;
}
bool ModemEscPressed() { return g_EscPressed; }

ModemEscWatch::ModemEscWatch(const void* window) : prevWindow_(g_EscWindow) {
    if (g_EscWatchDepth++ == 0) {
        g_EscPressed = false;
        g_EscWindow = window;
    } else if (window) {
        g_EscWindow = window;
    }
}

ModemEscWatch::~ModemEscWatch() {
    g_EscWindow = prevWindow_;
    if (--g_EscWatchDepth == 0) g_EscPressed = false;
}

// ---------------------------------------------------------------- texts

void StripPhoneNumber(const char* text, char* out) {
    for (; *text; ++text)
        if (*text != ' ' && *text != '-' && *text != '(' && *text != ')') *out++ = *text;
    *out = 0;
}

std::string StripPhoneNumber(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '-' && c != '(' && c != ')') out += c;
    return out;
}

void StripCrLf(const char* text, char* out) {
    for (; *text; ++text)
        if (*text != '\r' && *text != '\n') *out++ = *text;
    *out = 0;
}

std::string StripCrLf(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

std::vector<std::string> SplitModemInit(const std::string& text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i + 1 < text.size() && out.size() < kModemMaxInitCommands) {
        char a = text[i], t = text[i + 1];
        if ((a == 'A' || a == 'a') && (t == 'T' || t == 't')) {
            size_t end = text.find('^', i);
            if (end == std::string::npos) end = text.size();
            // The slot holds the command, its CR and a terminating zero.
            std::string cmd = text.substr(i, std::min(end - i, kModemInitSlot - 2));
            out.push_back(cmd + '\r');
            i = end;
        } else {
            ++i;
        }
    }
    return out;
}

uint32_t ClassifyModemReply(const char* r) {
    if (Has(r, "ERRO") || Has(r, "erro")) return kModemError;
    if (Has(r, "Time")) return kModemTimeLimit;
    if (Has(r, "DIAL") || Has(r, "dial")) return kModemNoDialTone;
    if (Has(r, "NO CARRI") || Has(r, "no carri")) return kModemNoCarrier;
    if (Has(r, "BUSY") || Has(r, "busy")) return kModemBusy;
    if (Has(r, "ANSW") || Has(r, "answ")) return kModemNoAnswer;
    if (Has(r, kEscapeReply)) return kModemEscape;
    return kModemOk;
}

bool IsKnownModemAnswer(const char* r) {
    return Has(r, "AT") || Has(r, "at") || Has(r, "OK") || Has(r, "ok") || Has(r, "\r\n") || Has(r, "0");
}

// ---------------------------------------------------------------- dialogue

uint32_t ModemCommand(int port, const char* command, char* reply, uint32_t timeoutMs, const void* escWindow,
                      qvr::IStatusBar* statusBar) {
    ModemEscWatch watch(escWindow);
    const std::string shown = StripCrLf(std::string(command));
    ShowStatus(statusBar, " Установление связи по телефону. Команда " + shown + ".");

    PurgePort(port);
    qvr::ProcessMessages();
    std::memset(reply, 0, kModemReplySize);

    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    WriteBytes(port, command, std::strlen(command));

    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    switch (ReadLine(port, reply, deadline, true)) {
        case LineStatus::Escape: return kModemEscape;
        case LineStatus::Timeout:
        case LineStatus::HungUp: return kModemTimeout;
        case LineStatus::Ok: break;
    }
    ShowStatus(statusBar, " Установление связи по телефону. Команда " + shown + ".  Ответ " + StripCrLf(std::string(reply)));
    return ClassifyModemReply(reply);
}

uint32_t ModemReady(int port, qvr::IStatusBar* statusBar) {
    const uint32_t t = g_ModemTimings.readyTimeoutMs;
    char reply[kModemReplySize];
    int tries = 2;
    bool escaped = false;

    // A modem in command mode answers ATE0 at once; one left in data mode passes it on.
    uint32_t r = ModemCommand(port, "ATE0\r", reply, t, nullptr, statusBar);
    enum { kEscape, kEchoOff, kVerbose } step;
    if (r != kModemTimeout && IsKnownModemAnswer(reply))
        step = kVerbose;
    else if (r != kModemOk && r != kModemTimeout)
        return r;
    else
        step = kEscape;

    for (;;) {
        switch (step) {
            case kEscape:
                // A line that hung up has no modem on it to escape.
                if (LineHungUp(port)) return kModemAbsent;
                Pause(g_ModemTimings.guardMs);
                r = ModemCommand(port, "+++", reply, t, nullptr, nullptr);
                if (r == kModemTimeout) return kModemAbsent;
                if (r != kModemOk) return r;
                if (IsKnownModemAnswer(reply)) escaped = true;
                step = kEchoOff;
                break;
            case kEchoOff:
                Pause(g_ModemTimings.guardMs);
                r = ModemCommand(port, "ATE0\r", reply, t, nullptr, nullptr);
                if (r != kModemOk) return r;
                if (IsKnownModemAnswer(reply)) return kModemOk;
                step = kVerbose;
                break;
            case kVerbose:
                r = ModemCommand(port, "ATV1\r", reply, t, nullptr, statusBar);
                if (r != kModemOk) return r;
                if (IsKnownModemAnswer(reply)) return kModemOk;
                if (--tries <= 0) return kModemOk;
                step = escaped ? kEchoOff : kEscape;
                break;
        }
    }
}

bool GsmReady(int port, qvr::IStatusBar* statusBar) {
    PurgePort(port);
    ShowStatus(statusBar, " Проверка готовности GSM. Команда AT+CPAS");
    static const char kCpas[9] = {'A', 'T', '+', 'C', 'P', 'A', 'S', '\r', 0};
    WriteBytes(port, kCpas, sizeof kCpas);
    static const char* const kExpected[2] = {"+CPAS: 0", "OK"};
    char line[kModemReplySize];
    for (const char* expected : kExpected) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(g_ModemTimings.gsmLineTimeoutMs);
        if (ReadLine(port, line, deadline, false) != LineStatus::Ok) return false;
        ShowStatus(statusBar, " Проверка готовности GSM. Команда AT+CPAS. Ответ " + StripCrLf(std::string(line)));
        if (!Has(line, expected)) return false;
    }
    return true;
}

uint32_t ModemDial(int port, const char* phoneNumber, const char* initText, const void* escWindow,
                   qvr::IStatusBar* statusBar, int attempts, uint32_t waitSeconds) {
    // Esc pressed in the pauses between commands still ends the next command.
    ModemEscWatch watch(escWindow);
    uint32_t r = ModemReady(port, statusBar);
    if (r != kModemOk) return r;

    const std::vector<std::string> init = SplitModemInit(initText ? initText : "");
    const std::string dial = "ATD" + StripPhoneNumber(std::string(phoneNumber ? phoneNumber : "")) + "\r";
    const uint32_t timeoutMs = waitSeconds * 1000u;
    char reply[kModemReplySize];

    Pause(g_ModemTimings.dialLeadMs);
    // A count of 0 or less still makes one attempt (it would otherwise report a connection
    // that was never dialled).
    if (attempts < 1) attempts = 1;
    for (;;) {
        r = kModemOk;
        for (const std::string& cmd : init) {
            r = ModemCommand(port, cmd.c_str(), reply, timeoutMs, escWindow, statusBar);
            if (r != kModemOk) break;
            if (!Has(reply, "OK") && !Has(reply, "ok")) {
                r = kModemNotConnected;
                break;
            }
            Pause(g_ModemTimings.initPauseMs);
        }
        // Esc ends the dial at once, whatever attempts are left; so does a line that hung up.
        if (r == kModemEscape || (r != kModemOk && LineHungUp(port))) return r;
        if (r != kModemOk) {
            if (--attempts <= 0) return r;
            continue;
        }
        if (!GsmReady(port, statusBar)) return kModemNoGsm;
        r = ModemCommand(port, dial.c_str(), reply, timeoutMs, escWindow, statusBar);
        if (r == kModemOk && (Has(reply, "ONNE") || Has(reply, "onne"))) break;
        if (r == kModemOk) r = kModemNotConnected;
        if (r == kModemEscape || LineHungUp(port)) return r;
        if (--attempts <= 0) return r;
    }
    Pause(g_ModemTimings.connectedPauseMs);
    return kModemOk;
}

void ModemHangUp(int port) {
    char reply[kModemReplySize];
    Pause(g_ModemTimings.hangUpGuardMs);
    qvr::ProcessMessages();
    ModemCommand(port, "+++", reply, g_ModemTimings.hangUpTimeoutMs, nullptr, nullptr);
    qvr::ProcessMessages();
    ModemCommand(port, "ath\r", reply, g_ModemTimings.hangUpTimeoutMs, nullptr, nullptr);
}
