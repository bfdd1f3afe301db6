// The working part of the connection forms, free of widgets: checking the typed link
// parameters, finding the COM ports present, the address search on a direct line and the
// opening of the link (COM port or TCP connection) with the exchange engine set up.
// Messages go through ShowQues (and the transport message box for the TCP connect).
#pragma once
#include <cstdint>
#include <string>

#include "app/rd_wr_ini.h"
#include "common/uihooks.h"

// Decimal integer as typed in a field: optional blanks around, optional sign, digits only.
// False for anything else (an empty text, '%', an apostrophe, too many digits).
bool ParseIntField(const std::string& text, int64_t& value);

// true when the device of COM n opens for reading and writing (it is closed again at
// once), or exists but is busy or refused to this user. The open does not wait for the
// line, so probing all 255 numbers is quick.
bool ComPortPresent(int n);

// Texts and list choices of the link-parameter form, as the user left them.
struct ConnParInput {
    int kind = 0;              // link kind edited: 0 direct, 1 telephone, 2 Ethernet
    std::string portText;      // "COM<n>"; empty when no port is selected
    int rateIndex = -1;        // index into BaudRates, -1 none
    int triesIndex = -1;       // 0..4 for 1..5 tries, -1 none
    std::string waitTime;      // first reply byte, s
    std::string timeOut;       // following reply bytes, ms
    std::string preambles;
    std::string freePortWait;  // direct line with Do_Close_Port: port-release wait, s
    std::string command;       // telephone: modem commands, Windows-1251
    std::string connectWait;   // telephone and Ethernet: connection wait, s
    std::string connRepeat;    // telephone and Ethernet: connection tries
};

// One message box of two lines.
struct InputMessage {
    std::string line1, line2;
};

// The texts of the checks.
extern const char* const kMsgNotAllParams;   // "Введены не все параметры"
extern const char* const kMsgOutOfRange;     // "Параметр вне допустимого диапазона"

// Checks the input in the order the form gives its messages. On success `out` is
// `current` with the accepted values in place; on failure `msg` holds the message and
// `out` must not be used.
bool CheckConnParInput(const ConnParInput& in, const ConnSettingsRecord& current, ConnSettingsRecord& out,
                       InputMessage& msg);

// The address search on the direct line: the engine (g_Hgc) is set up from the stored
// direct parameters with address 255, the port opened, one read of table 0 sent and the
// port closed again. Shows "Коммуникационный порт СОМ%d недоступен", "Устройство не
// обнаружено" or "Адрес устройства установлен"; true when a controller answered, and its
// address is then the direct Adr of ConnSettings.
bool SearchDeviceAddress();

// Closes the engine's COM port if it is open.
void CloseEnginePort();

// "Связаться" on the direct or telephone line, after the address box was read: stores the
// address, writes qvr.ini, describes the link in `bar`, sets up the engine and (unless the
// direct line releases the port after each exchange) opens the COM port. subscriberSelected:
// telephone only, a real subscriber (not "Новый абонент") is chosen. True when connected.
bool ConnectComPort(uint8_t address, bool subscriberSelected, qvr::IStatusBar* bar);

// "Связаться" on Ethernet: stores the address, then tries to connect to the current
// subscriber until the connection wait has passed, each try on a fresh non-blocking
// socket. On success the engine holds the socket and the link values. The caller writes
// qvr.ini and describes the link.
bool ConnectEthernet(uint8_t address, bool subscriberSelected);

// Sleeps about `ms` in short slices, processing window messages between them.
void PumpedSleep(int ms);
