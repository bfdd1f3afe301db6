// Serial-port operations with fixed settings, over POSIX termios. The exchange engine and
// the modem dialogue do their own reads and writes on the descriptor opened here.
//
// A port is a file descriptor; -1 means "no port". COM numbers map to device paths by one
// rule (ComPortDevice): COM1..COM32 -> /dev/ttyS0..31, COM33..COM64 -> /dev/ttyUSB0..31,
// COM65..COM96 -> /dev/ttyACM0..31; the environment variable QVR_COM<n> (for example
// QVR_COM5=/dev/pts/7) overrides the rule for port n.
#pragma once
#include <chrono>
#include <cstdint>
#include <string>

struct termios;

constexpr int kNoPort = -1;
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// Ticks per second of the clock the exact waits use (std::chrono::steady_clock).
int64_t PerfFrequency();
// The exact wait of the RTS keying: returns at the moment t, met to well under a
// millisecond. It sleeps on the monotonic clock until a fraction of a millisecond before
// (the calling thread's timer slack lowered so the sleep ends on time) and spins only that
// fraction.
void WaitUntilExactly(std::chrono::steady_clock::time_point t);

// Device path of COM<n>; empty when n has no device.
std::string ComPortDevice(int n);

// Opens COM<port> exclusively in raw mode (CLOCAL, no flow control, reads return at once)
// and sets rate (clamped 110..256000), data bits (clamped 4..8), parity (0 none, 1 even,
// 2 odd, other none) and stop bits (0 one, 1 one and a half - taken as two, 2 two, other
// one). DTR is raised when dtr is set, RTS dropped unless rts is set; a device that refuses
// the modem lines (a pseudo-terminal) is used all the same. The queue sizes are the
// driver's own on this platform. Returns the descriptor, or -1 with nothing left open.
int OpenComPort(int port, uint32_t baud, int dataBits, int parity, int stopBits,
                uint32_t inQueue, uint32_t outQueue, uint8_t dtr, uint8_t rts);
// The line settings OpenComPort gives a port: raw, CLOCAL, no flow control, VMIN = VTIME = 0,
// data bits, parity and stop bits as above.
void ApplyLineSettings(termios& tio, int dataBits, int parity, int stopBits);
// Closes a port opened by OpenComPort (and gives up its exclusive use).
void CloseComPort(int fd);

// Sets the rate clamped to 110..256000 bit/s; rates that are no standard termios rate are
// set exactly where the driver allows it, else the nearest standard rate is taken.
bool SetPortBaud(int fd, uint32_t baud);
// The rate SetPortBaud would ask the driver for (clamped).
uint32_t ClampBaud(uint32_t baud);
// Clears the port's error state. Nothing is sticky on this platform: true for an open port.
bool ClearPortErrors(int fd);
// Read time-outs in ms, as the engine and the modem dialogue give them: interval kMaxDword
// with multiplier and constant 0 makes every read return at once with what has arrived;
// otherwise a read waits up to the constant (rounded up to 0.1 s, at most 25.5 s) for its
// first byte.
bool SetPortTimeouts(int fd, uint32_t readInterval, uint32_t readMultiplier, uint32_t readConstant);

// Modem lines. false when the device refuses them (callers carry on).
bool SetRts(int fd, bool on);
bool SetDtr(int fd, bool on);
// Discards what waits in the transmit and receive buffers.
bool PurgePort(int fd);

// true when pattern occurs in text; an empty text, or one shorter than the pattern, gives false.
bool ContainsSubstr(const char* text, const char* pattern);
