#include "app/connstatus.h"

#include <cstdio>
#include <string>

#include "app/rd_wr_ini.h"
#include "common/codepage.h"
#include "common/globals.h"

namespace {

void SetPanel(qvr::IStatusBar* bar, int panel, const std::string& text) {
    if (bar) bar->SetPanelText(panel, text);
}

std::string PortAndRate(const LinkParams& p) {
    char buf[64];
    std::snprintf(buf, sizeof buf, " COM%d,   %d бит/с", p.COMPort, p.Rate);
    return buf;
}

std::string AddressText(int adr) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " Адр. %d", adr);
    return buf;
}

std::string NameText(const char* field, size_t width) { return qvr::WinToUtf8(qvr::FieldText(field, width)); }

}  // namespace

void ShowConnectionStatus(qvr::IStatusBar* bar) {
    const ConnSettingsRecord& s = ConnSettings;
    SetPanel(bar, 0, "");
    SetPanel(bar, 1, "");
    SetPanel(g_StatusBar2, 0, "");

    if (s.Conn_Prz == 0) {
        SetPanel(bar, 0, PortAndRate(s.Dir));
        SetPanel(bar, 1, AddressText(s.Dir.Adr));
    } else if (s.Conn_Prz == 1) {
        const PhoneSubscriberList& l = s.FonList;
        if (l.head.users_num > 0) {
            // A hand-edited file may leave the index outside the list; the last entry stands in.
            int i = l.head.user_index < l.head.users_num ? l.head.user_index : l.head.users_num - 1;
            if (i >= kMaxSubscribers) i = kMaxSubscribers - 1;
            const PhoneSubscriber& e = l.entries[i];
            SetPanel(bar, 0, PortAndRate(s.Fon));
            SetPanel(bar, 1, AddressText(e.contr_adr));
            SetPanel(g_StatusBar2, 0,
                     " " + NameText(e.user_name, sizeof e.user_name) + " (тел. " +
                         NameText(e.phone_code, sizeof e.phone_code) + ")");
        }
    } else if (s.Conn_Prz == 2) {
        const EthSubscriberList& l = s.EthrList;
        if (l.head.users_num > 0) {
            int i = l.head.user_index < l.head.users_num ? l.head.user_index : l.head.users_num - 1;
            if (i >= kMaxSubscribers) i = kMaxSubscribers - 1;
            const EthernetSubscriber& e = l.entries[i];
            uint32_t ip = e.ip_adr;
            char addr[40];
            std::snprintf(addr, sizeof addr, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF, ip & 0xFF);
            SetPanel(bar, 1, AddressText(e.contr_adr));
            SetPanel(g_StatusBar2, 0,
                     " " + NameText(e.user_name, sizeof e.user_name) + " (IP-адр. " + addr + ")");
        }
    }
    if (bar) bar->Repaint();
}
