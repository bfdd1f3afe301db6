#include "app/connect.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "app/connstatus.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/suplfunc.h"
#include "link/comportfunctions.h"
#include "link/hgcbox.h"
#include "link/tabledir.h"
#include "link/tcp_fun.h"

const char* const kMsgNotAllParams = "Введены не все параметры";
const char* const kMsgOutOfRange = "Параметр вне допустимого диапазона";

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSliceMs = 20;

const char* const kNamePreambles = "Количество преамбул в запросе";
const char* const kNameWaitTime = "Время ожидания первого байта ответа";
const char* const kNameTimeOut = "Время ожидания следующих байтов ответа";
const char* const kNameFreePortWait = "Время ожидания освобождения СОМ порта";
const char* const kNameConnectWait = "Ожидание соединения";
const char* const kNameConnRepeat = "Количество попыток соединения";

void Message(int32_t kind, const std::string& line1, const std::string& line2) {
    g_QuesKind = kind;
    qvr::ShowQues(line1, line2);
}

bool Fail(InputMessage& msg, const char* line1, const char* line2) {
    msg.line1 = line1;
    msg.line2 = line2;
    return false;
}

// A field that must be a number in lo..hi; text that is no number counts as out of range.
bool InRange(const std::string& text, int64_t lo, int64_t hi, int64_t& value) {
    return ParseIntField(text, value) && value >= lo && value <= hi;
}

// The checks shared by all link kinds: tries, preambles, first-byte and next-byte waits.
bool CheckCommon(const ConnParInput& in, LinkParams& p, InputMessage& msg) {
    int64_t v = 0;
    p.Repeat = uint8_t(in.triesIndex + 1);
    if (!InRange(in.preambles, 0, 255, v)) return Fail(msg, kNamePreambles, kMsgOutOfRange);
    p.Preambles = uint8_t(v);
    if (!InRange(in.waitTime, 1, 120, v)) return Fail(msg, kNameWaitTime, kMsgOutOfRange);
    p.WaitTime = int32_t(v);
    if (!InRange(in.timeOut, 55, 5000, v)) return Fail(msg, kNameTimeOut, kMsgOutOfRange);
    p.TimeOut = int32_t(v);
    return true;
}

// The port number of a port list entry "COM<n>"; 0 when the text is none.
int PortNumber(const std::string& text) {
    if (text.size() < 4 || text.compare(0, 3, "COM") != 0) return 0;
    int64_t n = 0;
    if (!ParseIntField(text.substr(3), n) || n < 1 || n > 255) return 0;
    return int(n);
}

std::string PortUnavailableText(int port) {
    // The letters "СОМ" of this message are Cyrillic, as the user has always seen it here.
    char buf[96];
    std::snprintf(buf, sizeof buf, "Коммуникационный порт СОМ%d недоступен", port);
    return buf;
}

int RemainingMs(Clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Puts the link values of a COM-port link into the engine.
void SetEngineSerial(hgcbox& h, const LinkParams& stored, int kind, uint8_t doClosePort) {
    const LinkParams p = UsableLinkParams(stored, kind);
    h.Address = stored.Adr;
    h.Baud = uint32_t(p.Rate);
    h.ComPort = stored.COMPort;
    h.LinkKind = uint8_t(kind);
    h.FreePortWait = uint32_t(UsableFreePortWait(ConnSettings.Free_Port_Wait));
    h.DoClosePort = doClosePort;
    h.ReplyMs = uint32_t(p.WaitTime) * 1000u;
    h.InterByteMs = uint32_t(p.TimeOut);
    h.Preambles = p.Preambles;
    h.Tries = p.Repeat;
}

void CloseSocket(int& fd) {
    if (fd >= 0) close(fd);
    fd = kNoSocket;
}

// One connect try on a fresh non-blocking socket, waiting at most until the deadline.
// Returns the connected socket, kNoSocket when this try failed, -2 when no socket could be
// created.
int TryConnect(const sockaddr_in& addr, Clock::time_point deadline) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
    if (fd < 0) return -2;
    int rc = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
    if (rc != 0 && errno != EINPROGRESS && errno != EINTR) {
        close(fd);
        return kNoSocket;
    }
    if (rc != 0) {
        for (;;) {
            qvr::ProcessMessages();
            int left = RemainingMs(deadline);
            if (left <= 0) {
                close(fd);
                return kNoSocket;
            }
            pollfd p{fd, POLLOUT, 0};
            int n = poll(&p, 1, std::min(left, kSliceMs));
            if (n > 0) break;
            if (n < 0 && errno != EINTR) {
                close(fd);
                return kNoSocket;
            }
        }
        int err = 0;
        socklen_t len = sizeof err;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0) {
            close(fd);
            return kNoSocket;
        }
    }
    // The engine sends whole frames and reads only what has arrived: blocking from here on.
    int flags = fcntl(fd, F_GETFL, 0);
    if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

}  // namespace

void PumpedSleep(int ms) {
    auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        qvr::ProcessMessages();
        int left = RemainingMs(end);
        if (left <= 0) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kSliceMs)));
    }
}

bool ParseIntField(const std::string& text, int64_t& value) {
    size_t i = 0, n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    while (n > i && (text[n - 1] == ' ' || text[n - 1] == '\t')) --n;
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == n || n - i > 18) return false;
    int64_t v = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return true;
}

bool ComPortPresent(int n) {
    const std::string dev = ComPortDevice(n);
    if (dev.empty()) return false;
    int fd = open(dev.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    // In use by another program, or refused to this user: the port is there all the same.
    return errno == EACCES || errno == EBUSY || errno == EPERM;
}

bool CheckConnParInput(const ConnParInput& in, const ConnSettingsRecord& current, ConnSettingsRecord& out,
                       InputMessage& msg) {
    const int kind = in.kind;
    LinkParams p = kind == 0 ? current.Dir : kind == 1 ? current.Fon : current.Ethr;
    int64_t v = 0;

    if (kind == 0 || kind == 1) {
        if (in.portText.empty() || in.rateIndex < 0 || in.triesIndex < 0 || in.waitTime.empty() ||
            in.timeOut.empty() || in.preambles.empty())
            return Fail(msg, kMsgNotAllParams, "");
        int port = PortNumber(in.portText);
        if (port == 0) return Fail(msg, kMsgNotAllParams, "");
        p.COMPort = uint8_t(port);
        if (!CheckCommon(in, p, msg)) return false;
        p.Rate = int32_t(qvr::IndexToBaud(in.rateIndex));
        if (p.Rate == 0) return Fail(msg, kMsgNotAllParams, "");
    } else if (kind == 2) {
        if (in.triesIndex < 0 || in.connectWait.empty() || in.connRepeat.empty() || in.waitTime.empty() ||
            in.preambles.empty() || in.timeOut.empty())
            return Fail(msg, kMsgNotAllParams, "");
        if (!CheckCommon(in, p, msg)) return false;
        if (!InRange(in.connectWait, 1, 360, v)) return Fail(msg, kNameConnectWait, kMsgOutOfRange);
        if (!InRange(in.connRepeat, 1, 10, v)) return Fail(msg, kNameConnRepeat, kMsgOutOfRange);
    } else {
        return Fail(msg, kMsgNotAllParams, "");
    }

    out = current;
    if (kind == 0) {
        out.Dir = p;
        if (out.Do_Close_Port) {
            if (in.freePortWait.empty()) return Fail(msg, kMsgNotAllParams, "");
            if (!InRange(in.freePortWait, 1, 20, v)) return Fail(msg, kNameFreePortWait, kMsgOutOfRange);
            out.Free_Port_Wait = int32_t(v);
        }
    } else if (kind == 1) {
        out.Fon = p;
        std::memset(out.Command, 0, sizeof out.Command);
        std::memcpy(out.Command, in.command.data(), std::min(in.command.size(), sizeof out.Command - 1));
        if (!InRange(in.connectWait, 1, 360, v)) return Fail(msg, kNameConnectWait, kMsgOutOfRange);
        out.Fon_ConnectWaitTime = int32_t(v);
        if (!InRange(in.connRepeat, 1, 10, v)) return Fail(msg, kNameConnRepeat, kMsgOutOfRange);
        out.Fon_Conn_Repeat = int32_t(v);
    } else {
        out.Ethr = p;
        ParseIntField(in.connectWait, v);
        out.Ethr_ConnectWaitTime = int32_t(v);
        ParseIntField(in.connRepeat, v);
        out.Ethr_Conn_Repeat = int32_t(v);
    }
    return true;
}

void CloseEnginePort() {
    if (g_Hgc && g_Hgc->PortHandle >= 0) {
        CloseComPort(g_Hgc->PortHandle);
        g_Hgc->PortHandle = kNoPort;
    }
}

bool SearchDeviceAddress() {
    if (!g_Hgc) return false;
    hgcbox& h = *g_Hgc;
    const LinkParams& d = ConnSettings.Dir;
    bool answered = false;
    {
        qvr::HourglassScope hourglass;
        SetEngineSerial(h, d, ConnSettings.Conn_Prz, 0);
        h.Address = 255;  // the engine takes the address from the reply
        CloseEnginePort();
        if (!h.ReopenPort()) {
            CloseEnginePort();
            Message(qvr::kQuesNotice, PortUnavailableText(d.COMPort), "");
            return false;
        }
        TableRequest r{0, 0, 1};
        answered = h.Request(1, &r, sizeof r, 0);
        CloseEnginePort();
    }
    if (!answered) {
        Message(qvr::kQuesExchangeResult, "Устройство не обнаружено", "");
        return false;
    }
    ConnSettings.Dir.Adr = h.Address;
    char line2[48];
    std::snprintf(line2, sizeof line2, "(адрес = %d).", h.Address);
    Message(qvr::kQuesExchangeResult, "Адрес устройства установлен", line2);
    return true;
}

bool ConnectComPort(uint8_t address, bool subscriberSelected, qvr::IStatusBar* bar) {
    if (!g_Hgc) return false;
    hgcbox& h = *g_Hgc;
    qvr::HourglassScope hourglass;
    const int kind = ConnSettings.Conn_Prz;
    if (kind == 0) {
        ConnSettings.Dir.Adr = address;
    } else {
        ConnSettings.Fon.Adr = address;
        if (!subscriberSelected) {
            Message(qvr::kQuesInputError, kMsgNotAllParams, "");
            return false;
        }
    }
    const LinkParams p = kind == 0 ? ConnSettings.Dir : ConnSettings.Fon;
    WriteConnSettings(g_SettingsIniPath);
    ShowConnectionStatus(bar);

    const uint8_t doClose = kind == 0 ? ConnSettings.Do_Close_Port : 0;
    SetEngineSerial(h, p, kind, doClose);
    if (!(kind == 0 && doClose)) {
        if (!h.ReopenPort()) {
            CloseEnginePort();
            Message(qvr::kQuesError, PortUnavailableText(p.COMPort), "");
            return false;
        }
    }
    if (h.PortHandle >= 0) SetPortTimeouts(h.PortHandle, kMaxDword, 0, 0);
    PumpedSleep(300);
    // The same values once more: the wait let window messages run.
    SetEngineSerial(h, p, kind, doClose);
    h.Address = address;
    return true;
}

bool ConnectEthernet(uint8_t address, bool subscriberSelected) {
    if (!g_Hgc) return false;
    hgcbox& h = *g_Hgc;
    ConnSettingsRecord& s = ConnSettings;
    s.Ethr.Adr = address;
    const SubscriberListHead& head = s.EthrList.head;
    if (!subscriberSelected || head.users_num == 0 || head.user_index >= head.users_num) {
        Message(qvr::kQuesInputError, kMsgNotAllParams, "");
        return false;
    }
    const EthernetSubscriber& e = s.EthrList.entries[head.user_index];
    // A port outside the TCP range would silently connect elsewhere.
    if (e.port < 1 || e.port > 65535) {
        Message(qvr::kQuesInputError, "Порт вне допустимого диапазона", "(1...65535)");
        return false;
    }

    qvr::HourglassScope hourglass;
    if (!StartWinsock()) return false;
    const auto deadline = Clock::now() + std::chrono::seconds(UsableConnectWaitTime(s.Ethr_ConnectWaitTime, 2));

    char host[32], service[16];
    std::snprintf(host, sizeof host, "%u.%u.%u.%u", e.ip_adr >> 24, (e.ip_adr >> 16) & 0xFF, (e.ip_adr >> 8) & 0xFF,
                  e.ip_adr & 0xFF);
    std::snprintf(service, sizeof service, "%u", e.port);
    sockaddr_in addr{};
    if (!SetSockAddress(host, service, &addr, "TCP")) return false;

    CloseSocket(h.Socket);  // a socket left from an earlier link would otherwise be lost
    int fd = kNoSocket;
    for (;;) {
        fd = TryConnect(addr, deadline);
        if (fd == -2) {
            ShowTransportMessage("Ошибка вызова socket");
            h.Socket = kNoSocket;
            return false;
        }
        if (fd >= 0 || RemainingMs(deadline) <= 0) break;
        // A refused try returns at once: pause a little before the next one.
        PumpedSleep(std::min(100, RemainingMs(deadline)));
        if (RemainingMs(deadline) <= 0) break;
    }
    if (fd < 0) {
        ShowTransportMessage("Превышено время ожидания соединения сервер/клиент");
        h.Socket = kNoSocket;
        return false;
    }
    h.Socket = fd;
    PumpedSleep(1000);
    const LinkParams p = UsableLinkParams(s.Ethr, 2);
    CloseEnginePort();
    h.Address = e.contr_adr;
    h.LinkKind = s.Conn_Prz;
    h.DoClosePort = 0;
    h.ReplyMs = uint32_t(p.WaitTime) * 1000u;
    h.InterByteMs = uint32_t(p.TimeOut);
    h.Preambles = p.Preambles;
    h.Tries = p.Repeat;
    return true;
}
