#include "app/rd_wr_ini.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <cstdio>
#include <vector>

#include "common/inifile.h"
#include "common/suplfunc.h"

using qvr::IniFile;

ConnSettingsRecord ConnSettings{};
ConnSettingsRecord ConnSettingsSaved{};
PhoneSubscriberList PhoneListSaved{};
EthSubscriberList EthListSaved{};
ObjectListRecord ObjectList{};
ArchivePeriodRecord ArchivePeriodSettings{};
ReportSettingsRecord ReportSettings{};

namespace {

const char kCurr[] = "CURR_PAR";
const char kDir[] = "DIR_CONN_PAR";
const char kFon[] = "FON_CONN_PAR";
const char kEthr[] = "ETHERNET_CONN_PAR";

// A one-byte field keeps the low 8 bits of the integer read.
uint8_t ReadU8(const IniFile& ini, const char* section, const char* key, int32_t def) {
    return uint8_t(uint32_t(ini.ReadInteger(section, key, def)) & 0xFF);
}

// A text longer than its field is cut to the field's width less one; the rest of the
// field is zero.
void ReadText(const IniFile& ini, const char* section, const char* key, char* field, size_t width) {
    std::string v = ini.ReadString(section, key, "");
    std::memset(field, 0, width);
    std::memcpy(field, v.data(), std::min(v.size(), width - 1));
}

std::string FieldString(const char* field, size_t width) { return std::string(field, strnlen(field, width)); }

// Saves the file; on failure the error goes to the error display.
bool SaveIni(IniFile& ini) {
    std::string error;
    if (ini.Save(&error)) return true;
    qvr::ReportIniError(error);
    return false;
}

// Count and current index as the arrays allow: the count at most `capacity`, the index
// inside the entries in use (0 for an empty list).
void ClampCountAndIndex(uint8_t& count, uint8_t& index, int capacity) {
    if (count > capacity) count = uint8_t(capacity);
    if (index >= count) index = count > 0 ? uint8_t(count - 1) : 0;
}

void ReadLinkParams(const IniFile& ini, const char* section, LinkParams& p, const LinkParams& def, bool ethernet) {
    if (!ethernet) p.COMPort = ReadU8(ini, section, "COMPort", def.COMPort);
    p.Adr = ReadU8(ini, section, "Adr", def.Adr);
    if (!ethernet) p.Rate = ini.ReadInteger(section, "Rate", def.Rate);
    p.Preambles = ReadU8(ini, section, "Preambles", def.Preambles);
    p.Repeat = ReadU8(ini, section, "Repeat", def.Repeat);
    p.TimeOut = ini.ReadInteger(section, "TimeOut", def.TimeOut);
    p.WaitTime = ini.ReadInteger(section, "WaitTime", def.WaitTime);
}

void WriteLinkParams(IniFile& ini, const char* section, const LinkParams& p, bool ethernet) {
    if (!ethernet) ini.WriteInteger(section, "COMPort", p.COMPort);
    ini.WriteInteger(section, "Adr", p.Adr);
    if (!ethernet) ini.WriteInteger(section, "Rate", p.Rate);
    ini.WriteInteger(section, "Preambles", p.Preambles);
    ini.WriteInteger(section, "Repeat", p.Repeat);
    ini.WriteInteger(section, "TimeOut", p.TimeOut);
    ini.WriteInteger(section, "WaitTime", p.WaitTime);
}

// The four groups of qvr.ini, each compared with the saved copy field by field.
bool CurrDiffers(const ConnSettingsRecord& a, const ConnSettingsRecord& b) {
    return a.Conn_Prz != b.Conn_Prz || a.Free_Port_Wait != b.Free_Port_Wait || a.Do_Close_Port != b.Do_Close_Port ||
           a.Form_Height != b.Form_Height || a.Form_Width != b.Form_Width || a.Form_Left != b.Form_Left ||
           a.Form_Top != b.Form_Top;
}
bool FonDiffers(const ConnSettingsRecord& a, const ConnSettingsRecord& b) {
    return !(a.Fon == b.Fon && a.FonList == b.FonList && a.Default_Command == b.Default_Command &&
             std::memcmp(a.Command, b.Command, sizeof a.Command) == 0 &&
             a.Fon_ConnectWaitTime == b.Fon_ConnectWaitTime && a.AutoRepeat == b.AutoRepeat &&
             a.Fon_Conn_Repeat == b.Fon_Conn_Repeat);
}
void CopyFon(const ConnSettingsRecord& from, ConnSettingsRecord& to) {
    to.Fon = from.Fon;
    to.FonList = from.FonList;
    to.Default_Command = from.Default_Command;
    std::memcpy(to.Command, from.Command, sizeof to.Command);
    to.Fon_ConnectWaitTime = from.Fon_ConnectWaitTime;
    to.AutoRepeat = from.AutoRepeat;
    to.Fon_Conn_Repeat = from.Fon_Conn_Repeat;
}
bool EthrDiffers(const ConnSettingsRecord& a, const ConnSettingsRecord& b) {
    return !(a.Ethr == b.Ethr && a.EthrList == b.EthrList && a.Ethr_ConnectWaitTime == b.Ethr_ConnectWaitTime &&
             a.Ethr_Conn_Repeat == b.Ethr_Conn_Repeat);
}
void CopyEthr(const ConnSettingsRecord& from, ConnSettingsRecord& to) {
    to.Ethr = from.Ethr;
    to.EthrList = from.EthrList;
    to.Ethr_ConnectWaitTime = from.Ethr_ConnectWaitTime;
    to.Ethr_Conn_Repeat = from.Ethr_Conn_Repeat;
}

// Stable sort of the first n entries by a key order, then re-finding the current entry:
// the last entry whose name equals the name of the entry that was current.
template <class Entry, class Less>
void SortEntries(Entry* entries, int n, uint8_t& current, const char* (*nameOf)(const Entry&), Less less) {
    if (n <= 0) return;
    std::string name = current < n ? std::string(nameOf(entries[current]), strnlen(nameOf(entries[current]), 50))
                                   : std::string();
    bool haveName = current < n;
    std::stable_sort(entries, entries + n, less);
    if (!haveName) return;
    for (int i = n - 1; i >= 0; --i) {
        if (FieldString(nameOf(entries[i]), 50) == name) {
            current = uint8_t(i);
            return;
        }
    }
}

const char* PhoneName(const PhoneSubscriber& e) { return e.user_name; }
const char* EthName(const EthernetSubscriber& e) { return e.user_name; }
const char* ObjectName(const ObjectEntry& e) { return e.obj_name; }

// Zero-terminated copies for comparing fields that may fill their whole width.
int CompareText(const char* a, size_t wa, const char* b, size_t wb) {
    return qvr::StrCmpNoCase(FieldString(a, wa).c_str(), FieldString(b, wb).c_str());
}

}  // namespace

// ---------------------------------------------------------------- qvr.ini

LinkParams DefaultLinkParams(int kind) {
    switch (kind) {
        case 1: return LinkParams{1, 1, 38400, 5, 1, 100, 6};
        case 2: return LinkParams{0, 1, 0, 5, 1, 300, 5};
        default: return LinkParams{1, 1, 38400, 5, 1, 100, 2};
    }
}

void ReadConnSettings(const std::string& path, int screenWidth, int screenHeight) {
    IniFile ini(path);
    ConnSettingsRecord& s = ConnSettings;
    s.Conn_Prz = ReadU8(ini, kCurr, "Conn_Prz", 0);
    s.Free_Port_Wait = ini.ReadInteger(kCurr, "Free_Port_Wait", 1);
    s.Do_Close_Port = ini.ReadBool(kCurr, "Do_Close_Port", false) ? 1 : 0;
    s.Form_Width = ini.ReadInteger(kCurr, "Form_Width", 1000);
    s.Form_Height = ini.ReadInteger(kCurr, "Form_Height", 680);
    s.Form_Left = ini.ReadInteger(kCurr, "Form_Left", int32_t((int64_t(screenWidth) - s.Form_Width) / 2));
    s.Form_Top = ini.ReadInteger(kCurr, "Form_Top", int32_t((int64_t(screenHeight) - s.Form_Height) / 2));

    ReadLinkParams(ini, kDir, s.Dir, DefaultLinkParams(0), false);

    ReadLinkParams(ini, kFon, s.Fon, DefaultLinkParams(1), false);
    s.Default_Command = ini.ReadBool(kFon, "Default_Command", false) ? 1 : 0;
    ReadText(ini, kFon, "Command", s.Command, sizeof s.Command);
    s.Fon_ConnectWaitTime = ini.ReadInteger(kFon, "ConnectWaitTime", 50);
    s.AutoRepeat = ini.ReadBool(kFon, "AutoRepeat", false) ? 1 : 0;
    s.Fon_Conn_Repeat = ini.ReadInteger(kFon, "Conn_Repeat", 1);

    ReadLinkParams(ini, kEthr, s.Ethr, DefaultLinkParams(2), true);
    s.Ethr_ConnectWaitTime = ini.ReadInteger(kEthr, "ConnectWaitTime", 10);
    s.Ethr_Conn_Repeat = ini.ReadInteger(kEthr, "Conn_Repeat", 1);
}

bool WriteConnSettings(const std::string& path) {
    if (ConnSettings == ConnSettingsSaved) return true;
    const ConnSettingsRecord& s = ConnSettings;
    bool curr = CurrDiffers(s, ConnSettingsSaved), dir = !(s.Dir == ConnSettingsSaved.Dir),
         fon = FonDiffers(s, ConnSettingsSaved), ethr = EthrDiffers(s, ConnSettingsSaved);
    if (!curr && !dir && !fon && !ethr) return true;

    IniFile ini(path);
    if (curr) {
        ini.WriteInteger(kCurr, "Conn_Prz", s.Conn_Prz);
        ini.WriteInteger(kCurr, "Free_Port_Wait", s.Free_Port_Wait);
        ini.WriteBool(kCurr, "Do_Close_Port", s.Do_Close_Port != 0);
        ini.WriteInteger(kCurr, "Form_Width", s.Form_Width);
        ini.WriteInteger(kCurr, "Form_Height", s.Form_Height);
        ini.WriteInteger(kCurr, "Form_Left", s.Form_Left);
        ini.WriteInteger(kCurr, "Form_Top", s.Form_Top);
    }
    if (dir) WriteLinkParams(ini, kDir, s.Dir, false);
    if (fon) {
        WriteLinkParams(ini, kFon, s.Fon, false);
        ini.WriteBool(kFon, "Default_Command", s.Default_Command != 0);
        ini.WriteString(kFon, "Command", FieldString(s.Command, sizeof s.Command));
        ini.WriteInteger(kFon, "ConnectWaitTime", s.Fon_ConnectWaitTime);
        ini.WriteBool(kFon, "AutoRepeat", s.AutoRepeat != 0);
        ini.WriteInteger(kFon, "Conn_Repeat", s.Fon_Conn_Repeat);
    }
    if (ethr) {
        WriteLinkParams(ini, kEthr, s.Ethr, true);
        ini.WriteInteger(kEthr, "ConnectWaitTime", s.Ethr_ConnectWaitTime);
        ini.WriteInteger(kEthr, "Conn_Repeat", s.Ethr_Conn_Repeat);
    }
    // The whole file is replaced at once: either every changed section reaches it, or
    // none does and all of them are written again at the next call.
    if (!SaveIni(ini)) return false;

    if (curr) {
        // The window geometry is not taken over: it never changes while the program runs.
        ConnSettingsSaved.Conn_Prz = s.Conn_Prz;
        ConnSettingsSaved.Free_Port_Wait = s.Free_Port_Wait;
        ConnSettingsSaved.Do_Close_Port = s.Do_Close_Port;
    }
    if (dir) ConnSettingsSaved.Dir = s.Dir;
    if (fon) CopyFon(s, ConnSettingsSaved);
    if (ethr) CopyEthr(s, ConnSettingsSaved);
    return true;
}

namespace {

// Whether every point of r lies on some screen. The screens' edges cut r into cells, and
// each cell must lie inside one screen.
bool WhollyOnScreens(const WindowRect& r, const std::vector<WindowRect>& screens) {
    const int64_t left = r.left, top = r.top, right = left + r.width, bottom = top + r.height;
    std::vector<int64_t> xs{left, right}, ys{top, bottom};
    for (const WindowRect& s : screens) {
        for (int64_t x : {int64_t(s.left), int64_t(s.left) + s.width})
            if (x > left && x < right) xs.push_back(x);
        for (int64_t y : {int64_t(s.top), int64_t(s.top) + s.height})
            if (y > top && y < bottom) ys.push_back(y);
    }
    std::sort(xs.begin(), xs.end());
    std::sort(ys.begin(), ys.end());
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        if (xs[i] == xs[i + 1]) continue;
        for (size_t j = 0; j + 1 < ys.size(); ++j) {
            if (ys[j] == ys[j + 1]) continue;
            const bool covered = std::any_of(screens.begin(), screens.end(), [&](const WindowRect& s) {
                return s.left <= xs[i] && xs[i + 1] <= int64_t(s.left) + s.width && s.top <= ys[j] &&
                       ys[j + 1] <= int64_t(s.top) + s.height;
            });
            if (!covered) return false;
        }
    }
    return true;
}

}  // namespace

WindowRect UsableWindowGeometry(const ConnSettingsRecord& s, const std::vector<WindowRect>& screens,
                                const WindowRect& primaryAvailable) {
    WindowRect r{s.Form_Left, s.Form_Top, s.Form_Width, s.Form_Height};
    if (screens.empty()) return r;
    const WindowRect& primary = screens.front();
    const WindowRect& room = primaryAvailable.width > 0 && primaryAvailable.height > 0 ? primaryAvailable : primary;
    // The default size, no larger than the room the primary screen leaves to windows,
    // centred on that screen and kept inside the room.
    const auto defaultCentred = [&] {
        const bool roomy = room.width > 0 && room.height > 0;
        WindowRect d{0, 0, roomy ? std::min(1000, room.width) : 1000, roomy ? std::min(680, room.height) : 680};
        int64_t left = primary.left + (int64_t(primary.width) - d.width) / 2;
        int64_t top = primary.top + (int64_t(primary.height) - d.height) / 2;
        if (roomy) {
            left = std::clamp<int64_t>(left, room.left, int64_t(room.left) + room.width - d.width);
            top = std::clamp<int64_t>(top, room.top, int64_t(room.top) + room.height - d.height);
        }
        d.left = int32_t(left);
        d.top = int32_t(top);
        return d;
    };
    // What the screens span together: no window larger than that is meant.
    int64_t minX = INT64_MAX, minY = INT64_MAX, maxX = INT64_MIN, maxY = INT64_MIN;
    for (const WindowRect& sc : screens) {
        minX = std::min<int64_t>(minX, sc.left);
        minY = std::min<int64_t>(minY, sc.top);
        maxX = std::max<int64_t>(maxX, int64_t(sc.left) + sc.width);
        maxY = std::max<int64_t>(maxY, int64_t(sc.top) + sc.height);
    }
    if (r.width < 1 || r.width > maxX - minX || r.height < 1 || r.height > maxY - minY) return defaultCentred();
    if (WhollyOnScreens(r, screens)) return r;
    // Onto the screen that needs the shortest move (the first of equals).
    bool found = false;
    double best = 0;
    WindowRect moved = r;
    for (const WindowRect& sc : screens) {
        if (sc.width < r.width || sc.height < r.height) continue;
        const int32_t left = std::clamp(r.left, sc.left, int32_t(int64_t(sc.left) + sc.width - r.width));
        const int32_t top = std::clamp(r.top, sc.top, int32_t(int64_t(sc.top) + sc.height - r.height));
        const double dx = double(left) - r.left, dy = double(top) - r.top, d = dx * dx + dy * dy;
        if (!found || d < best) {
            found = true;
            best = d;
            moved.left = left;
            moved.top = top;
        }
    }
    return found ? moved : defaultCentred();
}

// --------------------------------------------------------- directory files

void ReadPhoneSubscribers(const std::string& path) {
    IniFile ini(path);
    PhoneSubscriberList& l = ConnSettings.FonList;
    l.head.users_num = ReadU8(ini, "FON_CONN_PAR", "users_num", 0);
    l.head.user_index = ReadU8(ini, "FON_CONN_PAR", "user_index", 0);
    l.head.sort_prz = ReadU8(ini, "FON_CONN_PAR", "sort_prz", 0);
    ClampCountAndIndex(l.head.users_num, l.head.user_index, kMaxSubscribers);
    char section[32];
    for (int i = 0; i < kMaxSubscribers; ++i) {
        std::snprintf(section, sizeof section, "FON_ABONENT_%d", i + 1);
        PhoneSubscriber& e = l.entries[i];
        ReadText(ini, section, "user_name", e.user_name, sizeof e.user_name);
        e.contr_adr = ReadU8(ini, section, "contr_adr", 1);
        e.adr_modbus = ReadU8(ini, section, "adr_modbus", 1);
        ReadText(ini, section, "phone_code", e.phone_code, sizeof e.phone_code);
    }
}

bool WritePhoneSubscribers(const std::string& path) {
    const PhoneSubscriberList& l = ConnSettings.FonList;
    if (l == PhoneListSaved) return true;
    IniFile ini(path);
    ini.WriteInteger("FON_CONN_PAR", "users_num", l.head.users_num);
    ini.WriteInteger("FON_CONN_PAR", "user_index", l.head.user_index);
    ini.WriteInteger("FON_CONN_PAR", "sort_prz", l.head.sort_prz);
    char section[32];
    for (int i = 0; i < kMaxSubscribers; ++i) {
        std::snprintf(section, sizeof section, "FON_ABONENT_%d", i + 1);
        const PhoneSubscriber& e = l.entries[i];
        ini.WriteString(section, "user_name", FieldString(e.user_name, sizeof e.user_name));
        ini.WriteInteger(section, "contr_adr", e.contr_adr);
        ini.WriteInteger(section, "adr_modbus", e.adr_modbus);
        ini.WriteString(section, "phone_code", FieldString(e.phone_code, sizeof e.phone_code));
    }
    if (!SaveIni(ini)) return false;
    PhoneListSaved = l;
    ConnSettingsSaved.FonList = l;
    return true;
}

void ReadEthSubscribers(const std::string& path) {
    IniFile ini(path);
    EthSubscriberList& l = ConnSettings.EthrList;
    l.head.users_num = ReadU8(ini, "ETHERNET_CONN_PAR", "users_num", 0);
    l.head.user_index = ReadU8(ini, "ETHERNET_CONN_PAR", "user_index", 0);
    l.head.sort_prz = ReadU8(ini, "ETHERNET_CONN_PAR", "sort_prz", 0);
    ClampCountAndIndex(l.head.users_num, l.head.user_index, kMaxSubscribers);
    char section[32];
    for (int i = 0; i < l.head.users_num; ++i) {
        std::snprintf(section, sizeof section, "ETHERNET_ABONENT_%d", i + 1);
        EthernetSubscriber& e = l.entries[i];
        ReadText(ini, section, "user_name", e.user_name, sizeof e.user_name);
        e.contr_adr = ReadU8(ini, section, "contr_adr", 1);
        e.ip_adr = uint32_t(ini.ReadInteger(section, "ip_adr", 0));
        e.port = uint32_t(ini.ReadInteger(section, "port", 0));
    }
}

bool WriteEthSubscribers(const std::string& path) {
    const EthSubscriberList& l = ConnSettings.EthrList;
    if (l == EthListSaved) return true;
    IniFile ini(path);
    ini.WriteInteger("ETHERNET_CONN_PAR", "users_num", l.head.users_num);
    ini.WriteInteger("ETHERNET_CONN_PAR", "user_index", l.head.user_index);
    ini.WriteInteger("ETHERNET_CONN_PAR", "sort_prz", l.head.sort_prz);
    char section[32];
    int n = std::min<int>(l.head.users_num, kMaxSubscribers);
    for (int i = 0; i < n; ++i) {
        std::snprintf(section, sizeof section, "ETHERNET_ABONENT_%d", i + 1);
        const EthernetSubscriber& e = l.entries[i];
        ini.WriteString(section, "user_name", FieldString(e.user_name, sizeof e.user_name));
        ini.WriteInteger(section, "contr_adr", e.contr_adr);
        ini.WriteInteger(section, "ip_adr", int32_t(e.ip_adr));  // signed: 128.0.0.0 and up are negative
        ini.WriteInteger(section, "port", int32_t(e.port));
    }
    if (!SaveIni(ini)) return false;
    EthListSaved = l;
    ConnSettingsSaved.EthrList = l;
    return true;
}

void SortPhoneSubscribers(PhoneSubscriberList& list) {
    int n = std::min<int>(list.head.users_num, kMaxSubscribers);
    switch (list.head.sort_prz) {
        case 0:
            SortEntries(list.entries, n, list.head.user_index, &PhoneName,
                        [](const PhoneSubscriber& a, const PhoneSubscriber& b) {
                            return CompareText(a.user_name, 50, b.user_name, 50) < 0;
                        });
            break;
        case 1:
            SortEntries(list.entries, n, list.head.user_index, &PhoneName,
                        [](const PhoneSubscriber& a, const PhoneSubscriber& b) {
                            return CompareText(a.phone_code, 30, b.phone_code, 30) < 0;
                        });
            break;
        default:
            SortEntries(list.entries, n, list.head.user_index, &PhoneName,
                        [](const PhoneSubscriber&, const PhoneSubscriber&) { return false; });
            break;
    }
}

void SortEthSubscribers(EthSubscriberList& list) {
    int n = std::min<int>(list.head.users_num, kMaxSubscribers);
    switch (list.head.sort_prz) {
        case 0:
            SortEntries(list.entries, n, list.head.user_index, &EthName,
                        [](const EthernetSubscriber& a, const EthernetSubscriber& b) {
                            return CompareText(a.user_name, 50, b.user_name, 50) < 0;
                        });
            break;
        case 1:
            SortEntries(list.entries, n, list.head.user_index, &EthName,
                        [](const EthernetSubscriber& a, const EthernetSubscriber& b) {
                            uint32_t x = a.ip_adr, y = b.ip_adr;
                            return x < y;
                        });
            break;
        default:
            SortEntries(list.entries, n, list.head.user_index, &EthName,
                        [](const EthernetSubscriber&, const EthernetSubscriber&) { return false; });
            break;
    }
}

// ---------------------------------------------------------------- objects.ini

void ReadObjectList(const std::string& path) {
    IniFile ini(path);
    ObjectList = ObjectListRecord{};
    ObjectList.obj_num = ReadU8(ini, "OBJECT_LIST", "obj_num", 0);
    ObjectList.sort_prz = ReadU8(ini, "OBJECT_LIST", "sort_prz", 0);
    ObjectList.obj_index = ReadU8(ini, "OBJECT_LIST", "obj_index", 0);
    ClampCountAndIndex(ObjectList.obj_num, ObjectList.obj_index, kMaxObjects);
    char section[32];
    for (int i = 0; i < ObjectList.obj_num; ++i) {
        std::snprintf(section, sizeof section, "OBJECT_%d", i + 1);
        ObjectEntry& e = ObjectList.entries[i];
        e.contr_adr = ReadU8(ini, section, "contr_adr", 1);
        ReadText(ini, section, "obj_name", e.obj_name, sizeof e.obj_name);
    }
}

bool WriteObjectList(const std::string& path) {
    IniFile ini(path);
    ini.WriteInteger("OBJECT_LIST", "obj_num", ObjectList.obj_num);
    ini.WriteInteger("OBJECT_LIST", "sort_prz", ObjectList.sort_prz);
    ini.WriteInteger("OBJECT_LIST", "obj_index", ObjectList.obj_index);
    char section[32];
    int n = std::min<int>(ObjectList.obj_num, kMaxObjects);
    for (int i = 0; i < n; ++i) {
        std::snprintf(section, sizeof section, "OBJECT_%d", i + 1);
        const ObjectEntry& e = ObjectList.entries[i];
        ini.WriteInteger(section, "contr_adr", e.contr_adr);
        ini.WriteString(section, "obj_name", FieldString(e.obj_name, sizeof e.obj_name));
    }
    return SaveIni(ini);
}

void SortObjectList(ObjectListRecord* list) {
    if (!list) return;
    int n = std::min<int>(list->obj_num, kMaxObjects);
    switch (list->sort_prz) {
        case 0:
            SortEntries(list->entries, n, list->obj_index, &ObjectName, [](const ObjectEntry& a, const ObjectEntry& b) {
                return CompareText(a.obj_name, 50, b.obj_name, 50) < 0;
            });
            break;
        case 1:
            SortEntries(list->entries, n, list->obj_index, &ObjectName, [](const ObjectEntry& a, const ObjectEntry& b) {
                return qvr::CompareByte(&a.contr_adr, &b.contr_adr) < 0;
            });
            break;
        default:
            SortEntries(list->entries, n, list->obj_index, &ObjectName,
                        [](const ObjectEntry&, const ObjectEntry&) { return false; });
            break;
    }
}

// ---------------------------------------------------------------- rd_arh.ini

void ReadArchivePeriod(const std::string& path) {
    IniFile ini(path);
    TDateTime now = Now();
    ArchivePeriodSettings.per_kind = ini.ReadInteger("ARH_PAR", "per_kind", 0);
    ArchivePeriodSettings.ind_kind = ini.ReadInteger("ARH_PAR", "ind_kind", 1);
    ArchivePeriodSettings.curr_dt_beg = ini.ReadDateTime("ARH_PAR", "curr_dt_beg", now);
    ArchivePeriodSettings.curr_dt_end = ini.ReadDateTime("ARH_PAR", "curr_dt_end", now);
}

bool WriteArchivePeriod(const std::string& path) {
    IniFile ini(path);
    ini.WriteInteger("ARH_PAR", "per_kind", ArchivePeriodSettings.per_kind);
    ini.WriteInteger("ARH_PAR", "ind_kind", ArchivePeriodSettings.ind_kind);
    ini.WriteDateTime("ARH_PAR", "curr_dt_beg", ArchivePeriodSettings.curr_dt_beg);
    ini.WriteDateTime("ARH_PAR", "curr_dt_end", ArchivePeriodSettings.curr_dt_end);
    return SaveIni(ini);
}

// ---------------------------------------------------------------- repconf.ini

void ReadReportConf(const std::string& path) {
    IniFile ini(path);
    ReportSettingsRecord& r = ReportSettings;
    r.prz_composition = ReadU8(ini, "REP_CONF", "prz_composition", 0);
    r.thermal_unit = ReadU8(ini, "REP_CONF", "thermal_unit", 0);
    r.calc_formula = ReadU8(ini, "REP_CONF", "calc_formula", 0);
    r.report_kind = ReadU8(ini, "REP_CONF", "report_kind", 0);
    r.metan_corr = ReadU8(ini, "REP_CONF", "metan_corr", 0);
    char key[16];
    for (int i = 0; i < 20; ++i) {
        std::snprintf(key, sizeof key, "fr_%d", i + 1);
        r.fr[i] = ReadU8(ini, "REP_CONF", key, 4);
    }
}

bool WriteReportConf(const std::string& path) {
    IniFile ini(path);
    const ReportSettingsRecord& r = ReportSettings;
    ini.WriteInteger("REP_CONF", "prz_composition", r.prz_composition);
    ini.WriteInteger("REP_CONF", "thermal_unit", r.thermal_unit);
    ini.WriteInteger("REP_CONF", "calc_formula", r.calc_formula);
    ini.WriteInteger("REP_CONF", "report_kind", r.report_kind);
    ini.WriteInteger("REP_CONF", "metan_corr", r.metan_corr);
    char key[16];
    for (int i = 0; i < 20; ++i) {
        std::snprintf(key, sizeof key, "fr_%d", i + 1);
        ini.WriteInteger("REP_CONF", key, r.fr[i]);
    }
    return SaveIni(ini);
}

void ApplyReportDecimalsRule(ReportSettingsRecord& r) {
    if (r.fr[0] == 0) std::fill(std::begin(r.fr), std::end(r.fr), uint8_t(4));
}

// ---------------------------------------------------------------- usable values

LinkParams UsableLinkParams(const LinkParams& p, int kind) {
    LinkParams def = DefaultLinkParams(kind);
    LinkParams r = p;
    if (r.Adr == 0) r.Adr = def.Adr;
    if (kind != 2 && qvr::BaudToIndex(uint32_t(r.Rate)) < 0) r.Rate = def.Rate;
    if (r.Repeat < 1 || r.Repeat > 5) r.Repeat = def.Repeat;
    if (r.TimeOut < 55 || r.TimeOut > 5000) r.TimeOut = def.TimeOut;
    if (r.WaitTime < 1 || r.WaitTime > 120) r.WaitTime = def.WaitTime;
    return r;
}

int32_t UsableFreePortWait(int32_t seconds) { return seconds >= 1 && seconds <= 20 ? seconds : 1; }

int32_t UsableConnectWaitTime(int32_t seconds, int kind) {
    if (seconds >= 1 && seconds <= 360) return seconds;
    return kind == 2 ? 10 : 50;
}

int32_t UsableConnRepeat(int32_t count) { return count >= 1 && count <= 10 ? count : 1; }
