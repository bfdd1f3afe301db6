// A Hayes-command modem in front of a simulated controller, for the tests of the telephone
// link and for trying the program without hardware.
//
// The program opens the modem's own pseudo-terminal (Start returns its path). In command
// mode the modem answers AT commands line by line (echo and verbose results on until ATE0 /
// ATV0); "ATD<number>" connects after a delay, or gives the chosen failure; in data mode
// bytes pass both ways between the program and the controller line (the pseudo-terminal of a
// CtlSim, opened by path), until "+++" framed by the guard time returns it to command mode.
// "ATH" hangs up. It runs on its own thread.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ctlsim {

// PowerOff: the modem is switched off when the dial would be answered; the program's end of
// its line sees the hang-up.
enum class DialOutcome { Connect, Busy, NoCarrier, NoDialTone, Error, NoAnswer, Silent, PowerOff };

struct ModemOptions {
    DialOutcome dial = DialOutcome::Connect;
    int dialDelayMs = 20;        // from the dial command to its result
    int guardMs = 1000;          // silence needed before and after "+++"
    int cpasStatus = 0;          // "+CPAS: n"; -1 answers ERROR instead
    bool silent = false;         // answers nothing at all (no modem on the line)
    bool ignoreEscape = false;   // stays in data mode on "+++"
    bool startOnline = false;    // starts in data mode, as a modem left connected
    std::string errorOn;         // a command containing this text is answered ERROR ("" none)
};

class HayesModem {
public:
    HayesModem();
    ~HayesModem();
    HayesModem(const HayesModem&) = delete;
    HayesModem& operator=(const HayesModem&) = delete;

    // Serves a new pseudo-terminal for the program and opens the controller line at
    // linePath ("" = no controller behind the modem). Returns the program's path ("" on failure).
    std::string Start(const std::string& linePath);
    void Stop();

    void SetOptions(const ModemOptions& o);

    // Every byte the program sent, and every command line taken in command mode (without CR).
    std::string Received();
    std::vector<std::string> Commands();
    std::string LastDialled();  // the number of the last ATD, as received
    bool Online();              // in data mode with a connection
    bool Connected();           // a connection is up (online or escaped)
    int HangUps();
    void ClearLog();

private:
    using Clock = std::chrono::steady_clock;

    void Run();
    void FromProgram(const uint8_t* p, size_t n);
    void CommandByte(uint8_t b);
    void Execute(const std::string& line);
    void Tick();
    void Say(const std::string& text);      // a result in the current format
    void SendRaw(const std::string& text);  // to the program
    void ToLine(const uint8_t* p, size_t n);
    std::string ResultText(int code);

    std::mutex mu_;
    ModemOptions opt_;
    std::string received_;
    std::vector<std::string> commands_;
    std::string dialled_;
    int hangUps_ = 0;

    // Modem state (thread and mu_).
    bool echo_ = true;
    bool verbose_ = true;
    bool connected_ = false;
    bool online_ = false;
    std::string line_;
    int plusCount_ = 0;                   // '+' held back in data mode
    Clock::time_point lastByte_{};        // last byte from the program
    bool dialPending_ = false;
    Clock::time_point dialDue_{};

    std::thread thread_;
    std::atomic<bool> running_{false};
    int wake_[2] = {-1, -1};
    int master_ = -1;
    int slave_ = -1;
    int line_fd_ = -1;
};

}  // namespace ctlsim
