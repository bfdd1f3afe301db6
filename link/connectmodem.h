// The modem dialogue of the telephone link: bring a Hayes-command modem on an open COM port
// into command state, send the user's initialisation commands, check GSM readiness, dial and
// wait for the connection, and at the end escape to command mode and hang up. The functions
// work on the port descriptor directly; every outcome is a ModemResult code whose text is
// ModemResultTexts[code]. Once connected the exchange engine uses the same port as a line.
//
// Every wait sleeps in short slices and calls qvr::ProcessMessages() between them. While a
// modem command waits, the application's key handling (see ModemEscWatchActive) reports Esc
// through ModemEscPress(); the command then ends with code 10 within one poll slice.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/uihooks.h"

enum ModemResult : uint32_t {
    kModemOk = 0,            // answered without a failure text; CONNECT after a dial
    kModemNoDialTone = 1,    // "DIAL"
    kModemBusy = 2,          // "BUSY"
    kModemNoCarrier = 3,     // "NO CARRI"
    kModemError = 4,         // "ERRO"
    kModemNoAnswer = 5,      // "ANSW"
    kModemTimeLimit = 6,     // "Time"
    kModemAbsent = 7,        // no reply to the escape sequence
    kModemNotConnected = 8,  // init command not answered OK, dial not answered CONNECT
    kModemTimeout = 9,       // no reply line within the command's time-out
    kModemEscape = 10,       // Esc pressed during a command
    kModemNoGsm = 11,        // the GSM readiness check failed
    kModemResultCount = 12,
};

// UTF-8 message per ModemResult code.
extern const char* const ModemResultTexts[kModemResultCount];

// Waits and time-outs of the dialogue. The defaults are the working values; tests shorten them.
struct ModemTimings {
    uint32_t readyTimeoutMs = 5000;    // every command of ModemReady
    uint32_t guardMs = 1200;           // pause before "+++" and before the ATE0 after it
    uint32_t gsmLineTimeoutMs = 5000;  // each reply line of AT+CPAS
    uint32_t dialLeadMs = 2000;        // pause before the first initialisation command
    uint32_t initPauseMs = 200;        // pause after each good initialisation command
    uint32_t connectedPauseMs = 200;   // pause after CONNECT
    uint32_t hangUpGuardMs = 1000;     // pause before "+++" when hanging up
    uint32_t hangUpTimeoutMs = 2000;   // "+++" and "ath" when hanging up
};
extern ModemTimings g_ModemTimings;

// Size of the reply buffer of ModemCommand (the reply is at most 255 bytes and a zero).
constexpr size_t kModemReplySize = 256;
// Initialisation commands: at most this many, each in a slot of this many bytes (CR and the
// terminating zero included).
constexpr size_t kModemMaxInitCommands = 30;
constexpr size_t kModemInitSlot = 300;

// Sends one command (its CR included when it has one) and reads one reply line into reply
// (kModemReplySize bytes, zero-terminated): bytes up to the first CR or LF are dropped, then
// bytes are taken until more than 3 are in and the last is CR or LF, or 255 are in.
// escWindow: the window whose Esc counts (null: any window of the program). statusBar: panel 0
// shows the command and its reply; may be null.
uint32_t ModemCommand(int port, const char* command, char* reply, uint32_t timeoutMs, const void* escWindow,
                      qvr::IStatusBar* statusBar);

// Brings the modem into command state with echo off and verbose results.
uint32_t ModemReady(int port, qvr::IStatusBar* statusBar);

// AT+CPAS answered "+CPAS: 0" and then "OK".
bool GsmReady(int port, qvr::IStatusBar* statusBar);

// ModemReady, the initialisation commands, GsmReady and the dial, repeated up to
// attempts times (fewer than 1 is taken as 1); waitSeconds is the time-out of each
// initialisation command and of the dial.
uint32_t ModemDial(int port, const char* phoneNumber, const char* initText, const void* escWindow,
                   qvr::IStatusBar* statusBar, int attempts, uint32_t waitSeconds);

// Escapes to command mode and hangs up; the outcome is not examined.
void ModemHangUp(int port);

// Copies without ' ', '-', '(' and ')'.
void StripPhoneNumber(const char* text, char* out);
std::string StripPhoneNumber(const std::string& text);
// Copies without CR and LF.
void StripCrLf(const char* text, char* out);
std::string StripCrLf(const std::string& text);

// The initialisation commands of a text: each starts at an "AT" (either letter in either
// case) and runs up to the next '^' or the end, with a CR appended; text before an "AT" is
// skipped. A command longer than its slot is cut; past 30 commands the rest is ignored.
std::vector<std::string> SplitModemInit(const std::string& text);

// The classification of a reply line (see ModemResult).
uint32_t ClassifyModemReply(const char* reply);
// A reply that holds "AT", "at", "OK", "ok", CR LF or "0".
bool IsKnownModemAnswer(const char* reply);

// Esc while a modem command waits. The application's event filter calls ModemEscPress when
// Esc is pressed while ModemEscWatchActive() is true, and swallows key presses meanwhile;
// ModemEscWindow() is the window whose keys count (null: all).
bool ModemEscWatchActive();
const void* ModemEscWindow();
void ModemEscPress();
bool ModemEscPressed();

// Keeps the Esc watch on for a scope (nested scopes count); the outermost one clears the flag.
class ModemEscWatch {
public:
    explicit ModemEscWatch(const void* window);
    ~ModemEscWatch();
    ModemEscWatch(const ModemEscWatch&) = delete;
    ModemEscWatch& operator=(const ModemEscWatch&) = delete;

private:
    const void* prevWindow_;
};
