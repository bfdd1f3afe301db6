#include "link/hgcbox.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "common/crc16.h"
#include "common/globals.h"
#include "link/comportfunctions.h"

hgcbox* g_Hgc = nullptr;

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

constexpr uint8_t kRequestStart = 0xCC;
constexpr uint8_t kReplyStart = 0x33;
constexpr int kSliceMs = 10;  // longest sleep between two looks at the window messages

// The engine's own outcomes, 0..22.
const char* const kEngineMessages[23] = {
    "Команда выполнена",
    "Неверно задан стартовый символ",
    "Неверно задан код функции",
    "Сбой при выполнении операции записи",
    "Сбой при выполнении операции чтения",
    "Ответ получен не полностью (превышено время между байтами)",
    nullptr,  // 6: "Коммуникационный порт COM%d недоступен", formatted with the port
    "Несовпадение КС ответа контроллера",
    nullptr,  // 8: the controller's error text
    "Код Функции ответа не равен коду функции запроса",
    "Устройство не отвечает",
    "Неправильная длина ответа от контроллера",
    "Ошибка открытия файла",
    "Циклические данные прочитаны не полностью",
    "",
    "Неверно задан номер таблицы (%d)",
    "Не открыт коммуникационный порт",
    "",
    "Несоответствие идентификатора запроса в ответе(%d->%d  ",
    "Обмен прерван по признаку завершения работы программы",
    "Ithernet. Не выполнена команда send (посылка запроса)",
    "Ithernet. Не выполнена команда recv (чтение ответа на запрос)",
    "",
};

// The controller's error codes 1..64.
const char* const kControllerMessages[64] = {
    "Неизвестный код команды",
    "Неправильная длина запроса",
    "Неправильный пароль на запись",
    "Неправильные параметры в запросе",
    "Попытка записи в неиспользуемое поле",
    "Ввод даты и времени не допускается",
    "Нарушена очередность записи параметров при конфигурации",
    "Функция останова ГРС не активна",
    "Нет такой таблицы",
    "Неподходящий момент для коррекции времени",
    "Чтение таблицы невозможно",
    "Запись в таблицу не допускается",
    "Нет такого поля в таблице",
    "Попытка записи в несуществующее поле",
    "Нет доступа к крану",
    "Неправильный пароль доступа к крану",
    "Слишком большое время для коррекции",
    "Нет записей с такими индексами",
    "Недостоверны индексы ведения архива",
    "Нарушена последовательность запросов в серии",
    "Другой диапазон времени в серии запросов",
    "Неправильный диапазон времени",
    "Таблица требует полной перезаписи",
    "Управление агрегатом невозможно",
    "Попытка записи более одного поля",
    "Недостаточный уровень доступа",
    "Пустое имя пользователя",
    "Пустой код идентификации пользователя",
    "Производитель/наладчик уже зарегистрирован",
    "Удаление производителя/наладчика не допускается",
    "Удаление последнего администратора не допускается",
    "Пользователь не может быть зарегистрирован",
    "Пользователь с таким именем уже есть ",
    "Пользователь не зарегистрирован или неправильный пароль",
    "Запись допускается только через специальный канал связи",
    "Индекс начального поля не соответствует ограничениям",
    "Кол. записываемых полей не соответствует ограничениям",
    "Переход в режим работы \"Автомат\" невозможен",
    "Указанного канала связи не существует",
    "К указанному каналу связи не подключены контроллеры",
    "Не получен ответ на ретранслированный запрос",
    "Идет таймаут временной записи",
    "Закончился таймаут для подачи команды постоянной записи",
    "Не совпадают данные в командах временной и постоянной записи",
    "Недопустимый код команды",
    "Неизвестный код сообщения",
    "Неизвестный код устройства",
    "Неправильная длина данных в сообщении",
    "Несовпадение КС поля данных",
    "Переполнение памяти контроллера",
    "Превышение лимита одновременно выполняемых команд",
    "Контроллер рестартовал",
    "Изменение параметров с удаленной ПЭВМ запрещено",
    "Невозможный режим работы",
    "Дата и время в норме",
    "Изменение параметров возможно только в режиме \"Настройка\"",
    "Программа опроса подключенных устройств в норме",
    "Не прошла запись в EEPROM",
    "Не прошла запись в FRAM",
    "Разрушена таблица",
    "Нарушены правила записи полей большой разрушенной таблицы",
    "Неподходящий момент для выполнения команды",
    "Не прошла запись в FLASH PROM",
    "Программа разрушена или установлена перемычка",
};

// Local time as days since 30.12.1899 with the time of day as the fraction.
double NowAsDateTime() {
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    localtime_r(&t, &lt);
    auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                  std::chrono::system_clock::now().time_since_epoch()).count() % 1000000;
    double secs = double(t) + double(lt.tm_gmtoff) + double(us) / 1e6;
    return 25569.0 + secs / 86400.0;
}

// Frame layout of each function: where the body goes, how long it is, whether the user's
// password and code precede it. Function 2 is laid out apart (its body length varies).
struct Layout {
    uint8_t function;
    uint8_t bodyAt;
    uint8_t bodySize;
    bool auth;
    uint8_t length;
};
constexpr Layout kLayouts[] = {
    {7, 4, 7, false, 13},  {8, 4, 15, false, 21}, {12, 20, 2, true, 24}, {14, 4, 13, false, 19},
    {15, 4, 11, false, 17}, {16, 4, 9, false, 15}, {25, 0, 0, true, 22},  {32, 0, 0, true, 22},
    {33, 0, 0, true, 22},
};

// Marks the engine busy for the life of a request, so a request started from inside one of
// its waits is refused instead of interleaved.
class BusyScope {
public:
    explicit BusyScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyScope() { flag_ = false; }

private:
    bool& flag_;
};

}  // namespace

// Gathers a reply frame byte by byte into buf, as the reply check takes one: the start
// byte 0x33, an address the caller accepts (else the search starts again), a length of 6 or
// more (else again), then the rest. Feed is true when the byte completed the frame, which
// stays in buf until the next byte is fed.
class FrameGatherer {
public:
    explicit FrameGatherer(uint8_t* buf) : buf_(buf) {}
    template <class AddressOk>
    bool Feed(uint8_t b, AddressOk&& addressOk) {
        bool accept = true;
        if (k_ == 0)
            accept = b == kReplyStart;
        else if (k_ == 1)
            accept = addressOk(b);
        else if (k_ == 2)
            accept = b >= 6;
        if (!accept) {
            k_ = 0;
            return false;
        }
        buf_[k_++] = b;
        if (k_ < 3 || buf_[2] > k_) return false;
        k_ = 0;  // the next byte starts the search for the next frame
        return true;
    }
    uint32_t Have() const { return k_; }
    const uint8_t* Frame() const { return buf_; }

private:
    uint8_t* buf_;
    uint32_t k_ = 0;
};

hgcbox::hgcbox(uint8_t address) : Address(address) {
    std::memset(Password, ' ', sizeof Password);
    std::memset(IdCode, ' ', sizeof IdCode);
    for (int i = 0; i < 23; ++i) ExchangeResultMessages[i] = kEngineMessages[i];
    for (int c = 1; c <= 64; ++c) ExchangeResultMessages[kResultControllerBase + c] = kControllerMessages[c - 1];
    ExchangeResultMessages[kResultNoPort] = m_PortMessage;
    ExchangeResultMessages[kResultNegative] = m_ControllerMessage;
    ExchangeResultMessages[kResultFrameTooLong] = "Запрос не помещается в кадр (длина более 255 байт)";
    ExchangeResultMessages[kResultBusy] = "Обмен с контроллером уже выполняется";
    ExchangeResultMessages[kResultInDoubt] = "Ответ не соответствует запросу";
    std::snprintf(m_PortMessage, sizeof m_PortMessage, "Коммуникационный порт COM%d недоступен", ComPort);
}

double hgcbox::RtsHoldSeconds(uint32_t n, uint32_t baud) {
    float bitTime = 1.0f / float(baud ? baud : 1);
    return double(float(n + 1) * 10.0f * bitTime);
}

void hgcbox::SetControllerError(uint8_t code) {
    if (code >= 1 && code <= 64)
        std::snprintf(m_ControllerMessage, sizeof m_ControllerMessage, "%s", kControllerMessages[code - 1]);
    else if (code == 0)
        std::snprintf(m_ControllerMessage, sizeof m_ControllerMessage, "%s", kControllerMessages[53 - 1]);
    else
        std::snprintf(m_ControllerMessage, sizeof m_ControllerMessage, "Код ошибки = %d", code);
}

const char* hgcbox::ResultText() {
    const char* m = Result < kResultCount ? ExchangeResultMessages[Result] : nullptr;
    std::string msg = m ? m : "";
    // Byte 6 of a negative reply "table destroyed" names the table.
    if (Result == kResultNegative && RxBuf[4] == 60)
        std::snprintf(ResultBuf, sizeof ResultBuf, "Команда %d.  %s %d", LastFunction, msg.c_str(), RxBuf[6]);
    else
        std::snprintf(ResultBuf, sizeof ResultBuf, "Команда %d.  %s", LastFunction, msg.c_str());
    return ResultBuf;
}

bool hgcbox::ReopenPort() {
    if (m_Busy) {
        Result = kResultBusy;
        return false;
    }
    BusyScope busy(m_Busy);
    return ReopenPortLocked();
}

bool hgcbox::ReopenPortLocked() {
    ClosePort();
    auto end = Clock::now() + std::chrono::seconds(FreePortWait);
    while (Clock::now() < end) {
        PortHandle = OpenComPort(ComPort, Baud, 8, 0, 0, 1000, 1000, 1, 0);
        if (PortHandle >= 0) break;
        if (!Pause(50)) {  // the port may be held by another program for a moment
            Result = kResultAborted;
            return false;
        }
    }
    if (PortHandle < 0) {
        std::snprintf(m_PortMessage, sizeof m_PortMessage, "Коммуникационный порт COM%d недоступен", ComPort);
        Result = kResultNoPort;
        return false;
    }
    SetPortTimeouts(PortHandle, kMaxDword, 0, 0);
    SetDtr(PortHandle, true);
    if (!Pause(100)) {  // Esc: the port is not left open
        ClosePort();
        Result = kResultAborted;
        return false;
    }
    return true;
}

void hgcbox::Purge() {
    if (PortHandle < 0) return;
    PurgePort(PortHandle);
    m_InAt = m_InEnd = 0;
}

void hgcbox::ClosePort() {
    if (PortHandle >= 0) CloseComPort(PortHandle);
    PortHandle = kNoPort;
    m_InAt = m_InEnd = 0;
}

// The engine's stop flag (cleared when seen), or Esc in the window of a long read: the
// reader sees that flag itself and ends the read as it does between blocks.
bool hgcbox::AbortSeen() {
    if (Abort) {
        Abort = 0;
        return true;
    }
    return g_AbortAllowed && g_Abort;
}

// A wait that keeps the window alive and ends early on an abort (false then).
bool hgcbox::Pause(uint32_t ms) {
    const auto end = Clock::now() + Ms(ms);
    for (;;) {
        qvr::ProcessMessages();
        if (AbortSeen()) return false;
        const auto now = Clock::now();
        if (now >= end) return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(end - now, Ms(kSliceMs)));
    }
}

// The address byte of a reply: this controller's, any while the address is learnt (taken
// once the CRC proves the frame), or the new one after a write of the controller's own.
bool hgcbox::AddressOk(uint8_t b) {
    m_Learning = false;
    if (b == Address) return true;
    if (TxBuf[1] == 0xFF) {
        m_Learning = true;
        m_Learned = b;
        return true;
    }
    return TxBuf[3] == 2 && TxBuf[21] == 3 && TxBuf[22] == 0 && b == TxBuf[24];
}

bool hgcbox::Request(uint8_t function, const void* body, uint32_t bodyLen, uint8_t param) {
    return Exchange(function, body, bodyLen, param, nullptr);
}

RequestOutcome hgcbox::RequestRecords(uint8_t function, const void* body, uint32_t bodyLen,
                                      const StaleCheck& isStale) {
    if (Exchange(function, body, bodyLen, 0, &isStale)) return RequestOutcome::Answer;
    if (Result == kResultInDoubt) return RequestOutcome::InDoubt;
    return Result == kResultAborted ? RequestOutcome::Aborted : RequestOutcome::None;
}

bool hgcbox::Exchange(uint8_t function, const void* body, uint32_t bodyLen, uint8_t param, const StaleCheck* read) {
    if (m_Busy) {
        Result = kResultBusy;
        LastFunction = function;
        return false;
    }
    LastFunction = function;
    if (Abort) {
        Abort = 0;
        Result = kResultAborted;
        return false;
    }
    Result = kResultOk;
    std::memset(TxBuf, 0, sizeof TxBuf);
    TxBuf[0] = kRequestStart;
    TxBuf[1] = Address;
    TxBuf[3] = function;

    const uint8_t* src = static_cast<const uint8_t*>(body);
    auto put = [&](int at, uint32_t n) {
        if (src && n) std::memcpy(TxBuf + at, src, n);
    };
    auto putUser = [&] {
        std::memcpy(TxBuf + 4, Password, sizeof Password);
        std::memcpy(TxBuf + 16, IdCode, sizeof IdCode);
    };
    uint32_t length = 0;
    if (function == 1) {
        TxBuf[4] = param;
        put(5, 3);
        length = 10;
    } else if (function == 2) {
        if (bodyLen > 255 - 23) {
            Result = kResultFrameTooLong;
            return false;
        }
        putUser();
        TxBuf[20] = param;
        put(21, bodyLen);
        length = bodyLen + 23;
    } else {
        const Layout* l = std::find_if(std::begin(kLayouts), std::end(kLayouts),
                                       [&](const Layout& x) { return x.function == function; });
        if (l == std::end(kLayouts)) {
            Result = kResultBadFunction;
            return false;
        }
        if (l->auth) putUser();
        put(l->bodyAt, l->bodySize);
        length = l->length;
    }
    TxBuf[2] = uint8_t(length);
    uint16_t crc = Crc16(TxBuf, uint16_t(length - 2));
    TxBuf[length - 2] = uint8_t(crc);
    TxBuf[length - 1] = uint8_t(crc >> 8);

    BusyScope busy(m_Busy);
    if (DoClosePort && !ReopenPortLocked()) return false;

    if (StatusPanel) StatusPanel.SetText("Обмен...");
    uint32_t res = kResultOk;
    const int tries = std::max<int>(Tries, 1);
    m_LineDown = false;
    m_Check = read && *read && !Plain && Plant != Planted::NoCheck ? read : nullptr;
    m_Skipped = false;
    m_SkipOne = Plant == Planted::WrongSkip && ++m_Requests % 10 == 0;
    if (Plant == Planted::Sleep) std::this_thread::sleep_for(Ms(40));
    int i = 0;
    for (; i < tries; ++i) {
        if (AbortSeen()) {
            res = kResultAborted;
            break;
        }
        Transact(length);
        res = Result;
        // An abort inside a try ends the request, not just that try; so does a line that
        // hung up (another try would only fail the same way).
        if (res == kResultOk || res == kResultAborted || m_LineDown) break;
    }
    if (Plant == Planted::ExtraSend && res == kResultOk && i > 0) {
        uint32_t ignored = kResultOk;
        SendFrame(length, ignored);
    }
    const bool noAnswer = res == kResultNoReply || res == kResultGap || res == kResultBadCrc;
    if (noAnswer && m_Skipped) res = kResultInDoubt;
    m_Check = nullptr;
    LastExchange = NowAsDateTime();
    if (StatusPanel) StatusPanel.SetText("");
    if (DoClosePort) {
        ClosePort();
        Pause(150);  // Esc ends it; the reader sees Esc itself
    }
    if (Abort) Abort = 0;
    // A request refused inside one of the waits above may have left its own outcome.
    Result = res;
    LastFunction = function;
    return res == kResultOk;
}

bool hgcbox::SendFrame(uint32_t length, uint32_t& res) {
    std::vector<uint8_t> out(Preambles, 0xFF);
    out.insert(out.end(), TxBuf, TxBuf + length);
    const size_t n = out.size();

    if (LinkKind == 2) {
        ssize_t sent = Socket >= 0 ? send(Socket, out.data(), n, MSG_NOSIGNAL) : -1;
        if (sent < 0 || size_t(sent) < n) {
            res = kResultSendFailed;
            m_LineDown = true;  // the connection is gone: another try fails the same way
            return false;
        }
        return true;
    }

    const bool direct = LinkKind == 0;
    Purge();
    Clock::time_point t0;
    std::chrono::nanoseconds hold{0};
    if (direct) {
        SetRts(PortHandle, true);
        WaitUntilExactly(Clock::now() + Ms(2));
        t0 = Clock::now();
        hold = std::chrono::nanoseconds(int64_t(RtsHoldSeconds(uint32_t(n), Baud) * 1e9));
    }
    size_t done = 0;
    bool ok = PortHandle >= 0;
    auto writeEnd = Clock::now() + std::chrono::seconds(2) + hold;
    while (ok && done < n) {
        ssize_t w = ::write(PortHandle, out.data() + done, n - done);
        if (w > 0) {
            done += size_t(w);
            continue;
        }
        if (w < 0 && (errno == EAGAIN || errno == EINTR) && Clock::now() < writeEnd) {
            // The line's flow control holds the send: the window stays alive and Esc ends it.
            qvr::ProcessMessages();
            if (AbortSeen()) {
                ClearPortErrors(PortHandle);
                if (direct) SetRts(PortHandle, false);
                res = kResultAborted;
                return false;
            }
            pollfd p{PortHandle, POLLOUT, 0};
            poll(&p, 1, kSliceMs);
            continue;
        }
        ok = false;
    }
    if (!ok) {
        ClearPortErrors(PortHandle);
        if (direct) SetRts(PortHandle, false);  // never leave the line keyed
        res = kResultWriteFailed;
        return false;
    }
    if (direct) {
        WaitUntilExactly(t0 + hold);
        SetRts(PortHandle, false);
    }
    return true;
}

// Reads what waits on the line into the engine's input when none is left there: 1 when
// bytes are in, 0 when none wait, -1 when the TCP peer closed the connection or the receive
// failed (res set).
int hgcbox::ReadLine(uint32_t& res) {
    if (m_InAt < m_InEnd) return 1;
    m_InAt = m_InEnd = 0;
    if (LinkKind == 2) {
        if (Socket < 0) {
            res = kResultRecvFailed;
            return -1;
        }
        const ssize_t r = recv(Socket, m_In, sizeof m_In, MSG_DONTWAIT);
        if (r > 0) {
            m_InEnd = size_t(r);
            return 1;
        }
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return 0;
        res = kResultRecvFailed;
        return -1;
    }
    if (PortHandle < 0) return 0;
    const ssize_t r = ::read(PortHandle, m_In, sizeof m_In);
    if (r > 0) {
        m_InEnd = size_t(r);
        return 1;
    }
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) ClearPortErrors(PortHandle);
    return 0;
}

// Sleeps until input may be there or timeoutMs has passed. false when the line has hung up
// (a serial adapter pulled, the far end of the line closed, a TCP peer gone): no byte will
// come any more, so the caller ends its wait instead of polling a line that stays "ready".
bool hgcbox::WaitForInput(int timeoutMs) {
    if (m_InAt < m_InEnd) return true;
    int fd = LinkKind == 2 ? Socket : PortHandle;
    timeoutMs = std::clamp(timeoutMs, 1, kSliceMs);
    if (fd < 0) {
        std::this_thread::sleep_for(Ms(timeoutMs));
        return true;
    }
    pollfd p{fd, POLLIN, 0};
    int r = poll(&p, 1, timeoutMs);
    if (r < 0) {
        if (errno != EINTR) std::this_thread::sleep_for(Ms(timeoutMs));
        return true;
    }
    if (r == 0) return true;
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    // A TCP peer that closed its side reads as "ready" with nothing to read.
    int avail = 0;
    if (LinkKind == 2 && (p.revents & POLLIN) && ioctl(fd, FIONREAD, &avail) == 0 && avail == 0) return false;
    return true;
}

// Feeds the engine's input to the gatherer until a whole frame that is not skipped comes
// (what follows it stays in the input): its verdict, or Drop when the input ran out first.
hgcbox::Frame hgcbox::FeedInput(FrameGatherer& gather) {
    while (m_InAt < m_InEnd) {
        if (!gather.Feed(m_In[m_InAt++], [this](uint8_t a) { return AddressOk(a); })) continue;
        const Frame f = Judge(gather.Frame());
        if (f != Frame::Drop) return f;
    }
    return Frame::Drop;
}

// Takes in and drops what the line still delivers before a frame goes out, so that a reply
// that came too late for an earlier try is not taken for this one's. What waits is read;
// while a frame is in progress, the line is read on until it has been quiet for InterByteMs,
// so that frame is dropped whole. Never longer than ReplyMs plus the time of a longest frame
// at the line rate, and the window is kept alive. false: an abort or a TCP peer gone (res).
bool hgcbox::DrainLine(uint32_t& res) {
    const int fd = LinkKind == 2 ? Socket : PortHandle;
    if (fd < 0) return true;
    const auto quiet = Ms(std::max<uint32_t>(InterByteMs, 1));
    auto limit = Ms(ReplyMs);
    if (LinkKind != 2) limit += Ms(256u * 10u * 1000u / std::max<uint32_t>(Baud, 1));
    const auto start = Clock::now();
    const auto end = start + limit;
    auto last = start;
    bool drained = false;
    FrameGatherer gather(RxBuf);
    for (;;) {
        qvr::ProcessMessages();
        if (AbortSeen()) {
            res = kResultAborted;
            return false;
        }
        const int got = ReadLine(res);
        if (got < 0) {
            m_LineDown = true;
            return false;
        }
        const auto now = Clock::now();
        if (got > 0) {
            while (FeedInput(gather) != Frame::Drop) {
            }
            drained = true;
            last = now;
            if (now < end) continue;
        }
        if (now >= end || !drained || gather.Have() == 0 || now - last >= quiet) return true;
        const auto until = std::min(last + quiet, end);
        if (!WaitForInput(int(std::chrono::duration_cast<Ms>(until - now).count()) + 1)) {
            if (LinkKind != 2) m_LineDown = true;
            return true;
        }
    }
}

// What a whole frame is: broken (the wait it comes in ends, as the plain loop's does), the
// running try's answer, or dropped: it came before the try's send, or its content shows it
// is not the answer.
hgcbox::Frame hgcbox::Judge(const uint8_t* frame) {
    if (Crc16(frame, frame[2]) != 0) return Frame::Broken;
    if (!m_Sent || NotTheAnswer(frame)) return Frame::Drop;
    if (m_SkipOne) {
        m_SkipOne = false;
        return Frame::Drop;
    }
    return Frame::Take;
}

bool hgcbox::NotTheAnswer(const uint8_t* frame) {
    const uint8_t function = TxBuf[3];
    const uint8_t fn = frame[3];
    if (fn != uint8_t(function + 0x80)) {
        if (fn & 0x80) return true;  // a positive reply of another function
        // A negative reply names the function it answers.
        const bool known = fn == 1 || fn == 2 ||
                           std::any_of(std::begin(kLayouts), std::end(kLayouts),
                                       [fn](const Layout& l) { return l.function == fn; });
        return !Plain && fn != function && known;
    }
    if (Plain) return false;
    // A table read or write echoes its request; a frame too short to hold the echo is the
    // caller's to refuse.
    const uint8_t* echo = function == 1 ? TxBuf + 5 : function == 2 ? TxBuf + 21 : nullptr;
    const bool skip = (echo && frame[2] >= 10 && std::memcmp(frame + 5, echo, 3) != 0) || (m_Check && (*m_Check)(frame));
    m_Skipped = m_Skipped || skip;
    return skip;
}

bool hgcbox::Transact(uint32_t length) {
    qvr::ProcessMessages();
    if (AbortSeen()) {
        Result = kResultAborted;
        return false;
    }
    if (TxBuf[0] != kRequestStart) {
        Result = kResultBadStart;
        return false;
    }
    if (length < 6 || length > 255) {
        Result = kResultFrameTooLong;
        return false;
    }
    uint32_t res = kResultOk;
    m_Sent = false;
    if (LinkKind == 2 && !Pause(TcpSendDelayMs)) {
        Result = kResultAborted;
        return false;
    }
    if (LinkKind != 2) SetPortBaud(PortHandle, Baud);
    if (!DrainLine(res)) {
        Result = res;
        return false;
    }
    if (!SendFrame(length, res) || (Plant == Planted::SendTwice && !SendFrame(length, res))) {
        Result = res;
        return false;
    }
    m_Sent = true;
    std::memset(RxBuf, 0, 255);

    const auto deadline = Clock::now() + Ms(ReplyMs);
    const auto gap = Ms(InterByteMs);
    Clock::time_point lastByte = Clock::now();
    Clock::time_point pumped{};
    FrameGatherer gather(RxBuf);
    bool hungUp = false;

    for (;;) {
        // The window's messages once per slice of the wait, not once per byte.
        if (Clock::now() - pumped >= Ms(kSliceMs)) {
            qvr::ProcessMessages();
            pumped = Clock::now();
        }
        if (AbortSeen()) {
            Result = kResultAborted;
            return false;
        }
        // The time-outs are judged by the clock read before the look at the line: a process
        // kept from running past them finds what came meanwhile, and takes it in time.
        const auto now = Clock::now();
        const int got = ReadLine(res);
        if (got < 0) {
            m_LineDown = true;  // the TCP connection failed: no further try
            Result = res;
            return false;
        }
        if (got > 0) {
            const Frame f = FeedInput(gather);
            if (f == Frame::Take) break;
            if (f == Frame::Broken) {
                res = kResultBadCrc;
                break;
            }
            // Frames that are not this request's answer: the wait goes on, within this try's
            // time.
            if (gather.Have() > 0) lastByte = Clock::now();
            // A line that never stops delivering frames for others (or noise) ends the try all
            // the same, a wait after its time.
            if (gather.Have() < 2 && now > deadline + Ms(ReplyMs)) {
                res = kResultNoReply;
                break;
            }
            // A frame's length is known: look again once the rest of it can have come over a
            // serial line, not for every byte or two.
            if (LinkKind != 2 && gather.Have() >= 3) {
                const auto rest = std::chrono::microseconds(int64_t(RxBuf[2] - gather.Have()) * 10000000 /
                                                            std::max<uint32_t>(Baud, 1));
                std::this_thread::sleep_for(std::min<Clock::duration>({rest, gap / 2, Ms(kSliceMs)}));
            }
            continue;
        }
        if (gather.Have() < 2) {
            if (now > deadline) {
                res = kResultNoReply;
                break;
            }
        } else if (lastByte + gap < now) {
            res = kResultGap;
            break;
        }
        // The line hung up and nothing more is buffered: the wait ends now with the outcome
        // its time-out would have given (a TCP peer gone: the receive failed).
        if (hungUp) {
            res = LinkKind == 2 ? kResultRecvFailed : gather.Have() < 2 ? kResultNoReply : kResultGap;
            m_LineDown = true;
            break;
        }
        auto until = gather.Have() < 2 ? deadline : lastByte + gap;
        int ms = int(std::chrono::duration_cast<Ms>(until - now).count()) + 1;
        if (!WaitForInput(ms)) hungUp = true;
    }

    if (res == kResultOk && m_Learning) Address = m_Learned;
    if (res == kResultOk && RxBuf[3] != uint8_t(TxBuf[3] + 0x80)) {
        res = kResultNegative;
        SetControllerError(RxBuf[4]);
    }
    Purge();
    Result = res;
    return res == kResultOk;
}
