// The exchange engine: the one object through which the program talks to the controller.
// It builds a request frame for a function code, sends it over the current link (direct
// serial line with RTS keying, modem on a COM port, or TCP), receives and checks the reply,
// repeats the exchange up to Tries times and keeps the outcome as a result code with a
// message. GUI thread only; while it waits it processes window messages (qvr::ProcessMessages).
//
// Each try drops what waits on the line, sends, and takes the first whole good frame after
// its send, as the plain send-wait-take loop does, with one exception: a frame whose own
// content shows it is not the answer to this request as sent is skipped, and the wait goes
// on in the same try with nothing sent. What shows it:
//  - a positive reply of another function, or a negative reply naming another function;
//  - a table read or write answered with another request's echo (reply bytes 5..7);
//  - a reply of a read that the reader's check rejects (records the read has kept, older
//    archive records than the request can bring, a log record stamped after the hour of
//    the period's end).
// Such frames are the late or repeated replies of other requests; taking one would keep
// wrong records or leave this request's answer to the next one. A frame that carries
// nothing of the kind (a negative reply, an empty reply, a clock correction's answer) is
// taken: the engine remembers nothing of other requests' answers, so it never sends more
// than the plain loop, and a skip costs at most the rest of its try's wait.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/uihooks.h"

// Result codes. 0..22 are the engine's own outcomes, 23..86 the controller's error codes
// 1..64 (code c at 22 + c), 87 and 88 are refusals of a request the engine cannot carry,
// 89 a request that got only replies skipped for their content.
enum : uint32_t {
    kResultOk = 0,
    kResultBadStart = 1,        // TxBuf byte 0 is not 0xCC
    kResultBadFunction = 2,     // function code not in the layout table
    kResultWriteFailed = 3,     // writing to the COM port failed
    kResultGap = 5,             // gap between reply bytes longer than InterByteMs
    kResultNoPort = 6,          // the port cannot be reopened
    kResultBadCrc = 7,          // reply CRC wrong
    kResultNegative = 8,        // negative reply; the controller's text is the message
    kResultNoReply = 10,        // no reply within ReplyMs
    kResultBadLength = 11,      // a reply whose length does not fit what was asked
    kResultAborted = 19,        // Abort found set
    kResultSendFailed = 20,     // TCP send failed
    kResultRecvFailed = 21,     // TCP receive failed
    kResultControllerBase = 22, // + controller error code 1..64
    kResultFrameTooLong = 87,   // the body would make the frame longer than 255 bytes
    kResultBusy = 88,           // another request is still waiting for its reply
    kResultInDoubt = 89,        // every reply that came was skipped for its content
    kResultCount = 90,
};

// What a request of a read came to: an answer in RxBuf; only replies skipped for their
// content (Result kResultInDoubt); Esc or the window closing ended one of its waits
// (kResultAborted); or none (Result says why).
enum class RequestOutcome { Answer, InDoubt, Aborted, None };

class hgcbox {
public:
    explicit hgcbox(uint8_t address);
    ~hgcbox() = default;  // the port and the socket belong to the main window's disconnect
    hgcbox(const hgcbox&) = delete;
    hgcbox& operator=(const hgcbox&) = delete;

    // Stop flag: when set, the next request or wait stops with result 19 and it is cleared.
    volatile uint8_t Abort = 0;
    uint8_t TxBuf[256] = {};  // request frame as built
    uint8_t RxBuf[256] = {};  // reply frame as received; callers read the reply data here
    uint8_t LinkKind = 0;     // 0 direct COM line, 1 modem on a COM port, 2 TCP
    uint8_t ComPort = 1;      // COM port number
    int PortHandle = -1;      // open COM port, -1 when closed
    int Socket = -1;          // TCP socket, -1 when none
    uint32_t FreePortWait = 1;  // seconds during which ReopenPort keeps trying to open the port
    uint8_t DoClosePort = 1;    // 1: open the port before and close it after every request
    uint8_t Address;            // controller address of every request; 0xFF = take the replier's
    uint32_t Baud = 1200;       // line rate, bit/s
    uint8_t Preambles = 0;      // 0xFF bytes sent ahead of each frame
    char Password[12];          // current user's write password, blank-filled
    char IdCode[4];             // current user's identification code, blank-filled
    uint32_t InterByteMs = 10;  // longest allowed gap between reply bytes, ms
    uint32_t ReplyMs = 2000;    // time allowed for the reply to begin, ms
    uint8_t Tries = 2;          // exchange attempts per request (0 is taken as 1)
    const char* ExchangeResultMessages[kResultCount];  // UTF-8 message per result code
    uint32_t Result = 0;        // result code of the last request
    double LastExchange = 0;    // local time the last request ended (days since 30.12.1899)
    qvr::StatusPanelRef StatusPanel;  // shows "Обмен..." during a request; none when null
    char ResultBuf[408] = {};   // text of hgcbox::ResultText (UTF-8)
    uint8_t LastFunction = 0;   // function code of the last request
    uint32_t TcpSendDelayMs = 500;  // pause before every TCP send
    // A test tool: every good reply to a send is taken on its own word, as the plain
    // send-wait-take loop does (but a positive reply of another function).
    bool Plain = false;
    // A test tool: a fault planted in the engine, which the fault sweep must see. Sleep: 40 ms
    // before each request; ExtraSend: the request once more after an answer taken in a later
    // try; WrongSkip: the answer of every 10th request skipped once; SendTwice: every try
    // sends twice; NoCheck: the reader's check is not asked.
    enum class Planted : uint8_t { None, Sleep, ExtraSend, WrongSkip, SendTwice, NoCheck };
    Planted Plant = Planted::None;

    // Builds, sends and checks one request; true when Result is 0. For the fixed-length
    // functions the body must hold the size of the layout (function 1: a TableRequest);
    // function 2 takes bodyLen bytes. The reply stays in RxBuf, the end time in LastExchange.
    // A request started while another one waits is refused with kResultBusy, nothing sent.
    bool Request(uint8_t function, const void* body, uint32_t bodyLen, uint8_t param);
    // The same, for a request of a read, whose reply carries records: a reply isStale(frame)
    // says is not this request's answer (see above) is skipped.
    using StaleCheck = std::function<bool(const uint8_t* frame)>;
    RequestOutcome RequestRecords(uint8_t function, const void* body, uint32_t bodyLen, const StaleCheck& isStale);
    // One send and receive of the frame in TxBuf of the given total length.
    bool Transact(uint32_t length);
    // Closes and reopens the COM port, trying for FreePortWait seconds.
    bool ReopenPort();
    // "Команда %d.  %s" with the last function and the message of the result.
    const char* ResultText();
    // Forms the message of result 8 from the controller's error code.
    void SetControllerError(uint8_t code);

    // true while a request runs (a window message handled inside its waits sees this).
    bool Busy() const { return m_Busy; }

    // The time RTS stays raised after the 2 ms lead: n + 1 characters of 10 bits, where n
    // counts the preambles and the frame bytes.
    static double RtsHoldSeconds(uint32_t n, uint32_t baud);

private:
    bool Exchange(uint8_t function, const void* body, uint32_t bodyLen, uint8_t param, const StaleCheck* read);
    bool ReopenPortLocked();
    bool SendFrame(uint32_t length, uint32_t& res);
    bool DrainLine(uint32_t& res);
    int ReadLine(uint32_t& res);
    bool WaitForInput(int timeoutMs);
    void Purge();
    void ClosePort();
    bool AbortSeen();
    bool Pause(uint32_t ms);
    bool AddressOk(uint8_t b);
    enum class Frame { Take, Drop, Broken };
    Frame Judge(const uint8_t* frame);
    bool NotTheAnswer(const uint8_t* frame);
    Frame FeedInput(class FrameGatherer& gather);

    bool m_Busy = false;
    bool m_LineDown = false;  // a wait of this request found the line hung up: no more tries
    bool m_Learning = false;  // the address byte of the frame being gathered is learnt ...
    uint8_t m_Learned = 0;    // ... and is this one
    bool m_Sent = false;      // the running try sent its frame
    const StaleCheck* m_Check = nullptr;  // the running read's check, null when none
    bool m_Skipped = false;   // a reply of the running request was skipped for its content
    uint32_t m_Requests = 0;  // requests made, for the planted skip
    bool m_SkipOne = false;   // the planted skip is still to come in this request
    // What was read from the line and not yet fed to a frame (what followed an answer); the
    // next try's drain drops it.
    uint8_t m_In[512] = {};
    size_t m_InAt = 0, m_InEnd = 0;
    char m_PortMessage[96] = {};
    char m_ControllerMessage[160] = {};
};

// The program's one engine, created by the main window at start-up and deleted at close.
extern hgcbox* g_Hgc;
