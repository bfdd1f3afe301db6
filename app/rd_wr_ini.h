// The program's settings records and their files in the INI folder:
//   qvr.ini            connection settings (ConnSettings, written by changed section)
//   fon_abonents.ini   phone subscriber directory
//   ethr_abonents.ini  Ethernet subscriber directory
//   objects.ini        metering objects of the Excel reports (ObjectList)
//   rd_arh.ini         last archive period and index choices (ArchivePeriodSettings)
//   repconf.ini        presentation of analyses (ReportSettings)
// Records keep the field widths and order the files and forms rely on; texts are
// zero-terminated Windows-1251. They are never stored as raw bytes, so multi-byte fields
// keep their natural alignment (no packing: references to them stay well-formed), and
// the change tests compare field by field, every byte of every text field included.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/dtfun.h"

constexpr int kMaxSubscribers = 200;
constexpr int kMaxObjects = 50;

// Link parameters of one link kind.
struct LinkParams {
    uint8_t COMPort;    // COM port number
    uint8_t Adr;        // controller address 1..255
    int32_t Rate;       // line rate, bit/s
    uint8_t Preambles;  // 0xFF bytes ahead of each request
    uint8_t Repeat;     // attempts per request
    int32_t TimeOut;    // longest gap between reply bytes, ms
    int32_t WaitTime;   // time allowed for the reply to begin, s
    bool operator==(const LinkParams&) const = default;
};

struct SubscriberListHead {
    uint8_t users_num;   // entries in use, 0..200
    uint8_t user_index;  // current entry
    uint8_t sort_prz;    // 0 by name, 1 by phone number / IP address
    bool operator==(const SubscriberListHead&) const = default;
};
static_assert(sizeof(SubscriberListHead) == 3);

struct PhoneSubscriber {
    char user_name[50];
    uint8_t contr_adr;
    uint8_t adr_modbus;  // kept and written back only
    char phone_code[30];
    bool operator==(const PhoneSubscriber&) const = default;
};
static_assert(sizeof(PhoneSubscriber) == 82);

struct EthernetSubscriber {
    char user_name[50];
    uint8_t contr_adr;
    uint32_t ip_adr;  // a.b.c.d as a * 2^24 + b * 2^16 + c * 2^8 + d
    uint32_t port;
    bool operator==(const EthernetSubscriber&) const = default;
};

// A directory: head and 200 entries, entries 0..users_num-1 in use.
struct PhoneSubscriberList {
    SubscriberListHead head;
    PhoneSubscriber entries[kMaxSubscribers];
    bool operator==(const PhoneSubscriberList&) const = default;
};
struct EthSubscriberList {
    SubscriberListHead head;
    EthernetSubscriber entries[kMaxSubscribers];
    bool operator==(const EthSubscriberList&) const = default;
};

struct ConnSettingsRecord {
    uint8_t Conn_Prz;         // 0 direct COM line, 1 phone modem, 2 Ethernet
    int32_t Free_Port_Wait;   // s to keep trying a busy COM port
    uint8_t Do_Close_Port;    // open and close the port around every request
    int32_t Form_Height;
    int32_t Form_Width;
    int32_t Form_Left;
    int32_t Form_Top;
    LinkParams Dir;           // direct COM line (DIR_CONN_PAR)
    LinkParams Fon;           // phone modem (FON_CONN_PAR)
    PhoneSubscriberList FonList;   // fon_abonents.ini
    uint8_t Default_Command;  // kept only
    char Command[200];        // modem initialisation commands separated by "^"
    int32_t Fon_ConnectWaitTime;   // s to wait for the modem's connection report
    uint8_t AutoRepeat;       // kept only
    int32_t Fon_Conn_Repeat;  // dialling attempts
    LinkParams Ethr;          // Ethernet (ETHERNET_CONN_PAR; COMPort and Rate unused)
    EthSubscriberList EthrList;    // ethr_abonents.ini
    int32_t Ethr_ConnectWaitTime;  // s during which the TCP connection is tried again
    int32_t Ethr_Conn_Repeat;      // kept only
    bool operator==(const ConnSettingsRecord&) const = default;
};

struct ObjectEntry {
    char obj_name[50];
    uint8_t contr_adr;
    bool operator==(const ObjectEntry&) const = default;
};
static_assert(sizeof(ObjectEntry) == 51);

struct ObjectListRecord {
    uint8_t obj_num;    // objects in use, 0..50
    uint8_t sort_prz;   // 0 by name, 1 by controller address
    uint8_t obj_index;  // current object
    ObjectEntry entries[kMaxObjects];
    bool operator==(const ObjectListRecord&) const = default;
};
static_assert(sizeof(ObjectListRecord) == 3 + 50 * 51);

struct ArchivePeriodRecord {
    int32_t per_kind;       // last item of the period choice
    int32_t ind_kind;       // last item of the index range choice
    TDateTime curr_dt_beg;  // start of the last requested period
    TDateTime curr_dt_end;  // end of the last requested period
    bool operator==(const ArchivePeriodRecord&) const = default;
};
static_assert(sizeof(ArchivePeriodRecord) == 24);

struct ReportSettingsRecord {
    uint8_t prz_composition;  // 0 mole fractions, 1 volume fractions
    uint8_t thermal_unit;     // 0 MJ, 1 kcal
    uint8_t calc_formula;     // 0 ISO, 1 GOST
    uint8_t report_kind;      // 0 daily certificate, 1 daily passport
    uint8_t metan_corr;       // 0 none, 1 methane by difference
    uint8_t fr[20];           // decimals of each analysis value (key fr_1..fr_20)
    bool operator==(const ReportSettingsRecord&) const = default;
};
static_assert(sizeof(ReportSettingsRecord) == 25);

// The settings as they are now, and as qvr.ini last read or wrote them.
extern ConnSettingsRecord ConnSettings;
extern ConnSettingsRecord ConnSettingsSaved;
// Each directory file keeps its own saved copy, so a change of a directory reaches its
// file even after qvr.ini was written in between (zero-filled at start-up).
extern PhoneSubscriberList PhoneListSaved;
extern EthSubscriberList EthListSaved;

extern ObjectListRecord ObjectList;
extern ArchivePeriodRecord ArchivePeriodSettings;
extern ReportSettingsRecord ReportSettings;

// qvr.ini. The two centring defaults of the window use the screen size in pixels.
void ReadConnSettings(const std::string& path, int screenWidth, int screenHeight);
// Writes the sections whose part of ConnSettings differs from ConnSettingsSaved; false
// (and "Unable to write to <path>" to the error display) when the file cannot be written.
bool WriteConnSettings(const std::string& path);

// The main window's place and size from the four geometry settings, as the screens can
// hold them. screens: the rectangle of every screen, the primary one first;
// primaryAvailable: the part of the primary screen left to windows (without panels and
// docks), or an empty rectangle for the whole of it.
// - A width or height below 1 or beyond what the screens together span takes the default
//   size (1000 x 680, narrowed and lowered to what primaryAvailable holds), centred on the
//   primary screen and kept inside primaryAvailable.
// - A window with any part on no screen is moved the least distance that brings it whole
//   onto one screen; when no one screen can hold it, it takes the default size, centred.
// ConnSettings keeps what was read.
struct WindowRect {
    int32_t left = 0, top = 0, width = 0, height = 0;
};
WindowRect UsableWindowGeometry(const ConnSettingsRecord& s, const std::vector<WindowRect>& screens,
                                const WindowRect& primaryAvailable = {});

// The directory files. The writers do nothing when the directory equals its saved copy.
void ReadPhoneSubscribers(const std::string& path);
bool WritePhoneSubscribers(const std::string& path);
void ReadEthSubscribers(const std::string& path);
bool WriteEthSubscribers(const std::string& path);

// Sort a directory by its sort_prz and re-find the current entry by name.
void SortPhoneSubscribers(PhoneSubscriberList& list);
void SortEthSubscribers(EthSubscriberList& list);

// objects.ini
void ReadObjectList(const std::string& path);
bool WriteObjectList(const std::string& path);
void SortObjectList(ObjectListRecord* list);

// rd_arh.ini. A missing period bound becomes the time of reading.
void ReadArchivePeriod(const std::string& path);
bool WriteArchivePeriod(const std::string& path);

// repconf.ini.
void ReadReportConf(const std::string& path);
bool WriteReportConf(const std::string& path);
// The start-up decimals rule: when fr[0] is 0, all 20 decimals become 4.
void ApplyReportDecimalsRule(ReportSettingsRecord& r);

// Defaults of the link parameters of kind 0 direct, 1 phone, 2 Ethernet.
LinkParams DefaultLinkParams(int kind);
// The stored values as a link may use them: a value that the connection forms would
// refuse (it can only come from a hand-edited qvr.ini) gives the default instead, so no
// wait becomes endless and no rate is zero.
LinkParams UsableLinkParams(const LinkParams& p, int kind);
int32_t UsableFreePortWait(int32_t seconds);            // 1..20, else 1
int32_t UsableConnectWaitTime(int32_t seconds, int kind);  // 1..360, else 50 (phone) / 10 (Ethernet)
int32_t UsableConnRepeat(int32_t count);                // 1..10, else 1
