// The connection sequence of the main window: one attempt per tick of TimerStart, and the
// restore steps it offers when the controller reports destroyed tables.
#include <QApplication>
#include <cstring>

#include "app/rd_wr_ini.h"
#include "app/ui/formmain.h"
#include "common/codepage.h"
#include "common/doswin.h"
#include "common/dtfun.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/ui/formwait.h"
#include "link/conffun.h"
#include "link/connectmodem.h"
#include "link/hgcbox.h"
#include "app/connstatus.h"
#include "app/ui/formconnect.h"
#include "params/ui/cnfcommands.h"
#include "params/ui/formaccess.h"
#include "params/ui/formconfig.h"
#include "params/ui/formtableinfo.h"
#include "params/ui/formuspass.h"
#include "reports/chromorder.h"
#include <QTimer>

using qvr::ShowQues;

bool TFormMain::ReadAfterConnect() {
    qvr::HourglassScope busy;
    uint8_t* name = TablePtr(5);
    std::memset(name, ' ', 20);
    if (ReadTableFields({5, 0, 1}, StatusBar1, 0) && IdentByte(ident::kTextCodePage) == 0)
        qvr::DosToWin(name, 20);
    bool ok = ReadTableFields({6, 0, 10}, StatusBar1, 0);
    if (ok) {
        g_MoisturePresent = TablePtr(6)[8];
        ok = ReadTableFields({14, 6, 1}, StatusBar1, 0);
    }
    if (ok && g_MoisturePresent) ok = ReadTableFields({15, 6, 1}, StatusBar1, 0);
    if (!ok) {
        g_QuesKind = 5;
        ShowQues("Не прочитаны даннын, для организации", "дальнейшего обмена с устройством");
    }
    std::string text(reinterpret_cast<const char*>(name), 20);
    size_t b = text.find_first_not_of(' ');
    size_t e = text.find_last_not_of(' ');
    text = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
    StatusBar1->SetPanelText(1, qvr::WinToUtf8(text));
    return ok;
}

bool TFormMain::CheckSystemTableForTime(const TableStateBuffer& state) {
    if (state.toWrite[6]) {
        g_QuesKind = 4;
        ShowQues("Запись даты и времени невозможна", "при разрушенной таблице системных параметров");
        return false;
    }
    return ReadTableFields({6, 0, 10}, StatusBar1, 1);
}

bool TFormMain::WritePcTime() {
    g_QuesKind = 3;
    ShowQues("В контроллер будет записано время ЭВМ.", "Вы уверены, что часы ЭВМ показывают правильное время?");
    if (!g_QuesAnswer) return false;
    qvr::HourglassScope busy;
    CtlDateTime now;
    DateTimeToCtl(Now(), now);
    uint8_t* clock = TablePtr(2);
    const uint8_t* sys = TablePtr(6);
    clock[0] = now.year;
    clock[1] = now.month;
    clock[2] = now.day;
    clock[3] = now.hour;
    clock[4] = now.minute;
    clock[5] = now.second;
    clock[6] = uint8_t(WeekDayOf(DateOf(now)));
    clock[7] = WinterTimeFlag(now, DstSwitchRule::FromBytes(sys), DstSwitchRule::FromBytes(sys + 3));
    return WriteTableFields({2, 0, 8}, StatusBar1, 1);
}

bool TFormMain::WriteUserTable() {
    // The users table is written without a user: the controller's table is destroyed.
    char password[12], code[4];
    std::memcpy(password, g_Hgc->Password, 12);
    std::memcpy(code, g_Hgc->IdCode, 4);
    std::memset(g_Hgc->Password, ' ', 12);
    std::memset(g_Hgc->IdCode, ' ', 4);
    bool ok = WriteTableFields({4, 0, 10}, StatusBar1, 1);
    if (ok) ok = WriteTableFields({4, 10, 6}, StatusBar1, 1);
    std::memcpy(g_Hgc->Password, password, 12);
    std::memcpy(g_Hgc->IdCode, code, 4);
    return ok;
}

bool TFormMain::WriteRestoredConfig(TableStateBuffer& state) {
    {
        qvr::HourglassScope busy;
        StatusBar1->SetPanelText(2, "");
        if (state.toWrite[4]) {
            if (!WriteUserTable()) {
                g_QuesKind = 6;
                ShowQues("Таблица зарегистрированных пользователей не восстановлена",
                         "Запись в таблицы параметров конфигурации недопустима");
                return false;
            }
            state.toWrite[4] = 0;
        }
    }
    if (state.toWrite[2]) {
        if (!WritePcTime()) return false;
        state.toWrite[2] = 0;
    }
    qvr::WaitWindowScope wait(this, 2, 0);
    qvr::HourglassScope busy;
    StatusBar1->SetPanelText(2, "");
    return WriteConfigToController(&state, StatusBar1, &wait.Progress());
}

void TFormMain::IdentifyUser() { qvr::IdentifyUser(this); }

bool TFormMain::DialModem() {
    const PhoneSubscriberList& list = ConnSettings.FonList;
    const char* number = list.head.users_num > 0 ? list.entries[list.head.user_index].phone_code : "";
    uint32_t result;
    for (;;) {
        {
            qvr::HourglassScope busy;
            dialing_ = true;
            result = ModemDial(g_Hgc->PortHandle, number, ConnSettings.Command, nullptr, StatusBar3,
                               UsableConnRepeat(ConnSettings.Fon_Conn_Repeat),
                               uint32_t(UsableConnectWaitTime(ConnSettings.Fon_ConnectWaitTime, 1)));
            dialing_ = false;
        }
        if (result == kModemOk || closing_) break;
        g_QuesKind = 3;
        ShowQues(result < kModemResultCount ? ModemResultTexts[result] : "", "Повторить попытку соединения?");
        if (!g_QuesAnswer) break;
    }
    if (result == kModemOk) {
        CallStart = Now();
        pntime->setText(QStringLiteral("00:00:00"));
        TimerMoney->start();
        pnmodem->show();
        pnmodem->repaint();
    }
    StatusBar3->SetPanelText(0, "");
    repaint();
    return result == kModemOk;
}

bool TFormMain::RestoreUserAccess(ConfigRecord& record) {
    UserEntry users[16];
    UsersFromBytes(record.bytes + cfgrec::kUsers, users);
    TFormAccess form(this);
    form.Users = users;
    form.DeviceMode = 1;
    form.exec();
    if (!form.Accepted) {
        g_QuesKind = 6;
        ShowQues("Таблица доступа к записи в контроллер не восстановлена",
                 "Запись в таблицы параметров конфигурации недопустима");
        return false;
    }
    UsersToBytes(users, TablePtr(4));
    return true;
}

bool TFormMain::RestoreConfigTables(ConfigRecord& record, TableStateBuffer& state) {
    bool others = false;
    for (int t = 0; t < kTableCount; ++t)
        if (state.toWrite[t] && t != 2 && t != 4) others = true;
    if (others) {
        for (;;) {
            // The user checks and corrects the record in the editor's restore mode first.
            const qvr::ConfigEditorOutcome outcome = qvr::EditConfigRecord(this, &record, 1, &state);
            if (!outcome.accepted) return false;
            if (outcome.changed) SaveConfigFile(&record);
            bool loaded;
            {
                qvr::HourglassScope busy;
                loaded = LoadConfigRecord(&record, state.toWrite[4]);
            }
            if (loaded) return true;
            g_QuesKind = 3;
            ShowQues("Корректировать параметры конфигурации?", "");
            if (!g_QuesAnswer) {
                g_QuesKind = 6;
                ShowQues("Запись таблиц не выполнена", "");
                return false;
            }
        }
    }
    if (state.toWrite[4] && !RestoreUserAccess(record)) return false;
    if (state.toWrite[2]) return CheckSystemTableForTime(state);
    return true;
}

void TFormMain::TimerStartTimer() {
    TimerStart->stop();
    if (closing_ || !g_Hgc) return;
    // A request or a dial that waits inside the message loop is stopped first, and an
    // attempt still running (say, in a question box after its request was stopped) is let
    // end; the new attempt starts once they have unwound.
    if (attempting_ || g_Hgc->Busy() || dialing_) {
        if (g_Hgc->Busy()) g_Hgc->Abort = 1;
        if (dialing_) ModemEscPress();
        QTimer::singleShot(50, this, [this] {
            if (!closing_) TimerStart->start();
        });
        return;
    }
    attempting_ = true;
    {
        qvr::HourglassScope busy;
        Disconnect();
        ShowConnectionStatus(StatusBar1);
        HideTopMenus();
        ActiveChromParamOrder = ChromParamDisplayOrderNoOxygen;
    }
    if (ConnectAttempt()) {
        UpdateMainMenu();
    } else {
        g_Connected = 0;
        qvr::HourglassScope busy;
        Disconnect();
        UpdateMainMenu();
    }
    attempting_ = false;
}

bool TFormMain::ConnectAttempt() {
    // 2. The user chooses and opens the link.
    {
        TFormConnect form(StatusBar1, this);
        form.exec();
        if (!form.Connected || closing_) return false;
    }
    // 3. The chosen link is stored at once.
    SaveSettings();
    // 4. A modem link: the user, then the call.
    if (ConnSettings.Conn_Prz == 1) {
        IdentifyUser();
        ModemCallUp = DialModem();
        if (!ModemCallUp || closing_) return false;
    }
    // 5..7. The identification table: controller type and software version.
    bool ok;
    {
        qvr::HourglassScope busy;
        ok = ReadTableFields({0, 0, 18}, StatusBar1, 1);
    }
    // A window closed meanwhile ends the attempt at the next step.
    if (!ok || closing_) return false;
    const uint8_t type = IdentByte(ident::kTypeCode);
    const uint8_t version = IdentByte(ident::kSoftwareVersion);
    if (type != ident::kControllerType) {
        g_QuesKind = 6;
        ShowQues(QString::asprintf("Код типа подключенного контроллера  %d", type).toStdString(),
                 "Программа обслуживает контроллеры КВР");
        return false;
    }
    if (version != 13 && version != 14) {
        g_QuesKind = 6;
        ShowQues(QString::asprintf("Версия ПО подключенного контроллера %d", version).toStdString(),
                 "Программа обслуживает контроллеры КВР только с версией ПО 13");
        return false;
    }
    // 8. An address of 0xFF in the settings becomes the one the controller answered with.
    LinkParams& link = ConnSettings.Conn_Prz == 0 ? ConnSettings.Dir
                       : ConnSettings.Conn_Prz == 1 ? ConnSettings.Fon
                                                    : ConnSettings.Ethr;
    if (link.Adr == 0xFF) link.Adr = g_Hgc->Address;
    // 9, 10.
    g_Connected = 1;
    if (ConnSettings.Conn_Prz != 1) IdentifyUser();
    if (closing_) return false;
    // 11..15. The state of the configuration tables.
    if (IdentByte(ident::kDestroyedTable) != 0 || version == 14) {
        if (!CheckTableState(version)) return false;
    }
    // 16.
    if (closing_) return false;
    g_Connected = ReadAfterConnect() ? 1 : 0;
    return g_Connected == 1;
}

bool TFormMain::CheckTableState(uint8_t version) {
    uint8_t* destroyed = TablePtr(7);
    if (version == 14) {
        std::memset(destroyed, 1, kTableCount);
    } else {
        qvr::HourglassScope busy;
        if (!ReadTableFields({7, 0, 38}, StatusBar1, 1)) return true;
    }
    TableStateBuffer state{};
    for (int t = 0; t < kTableCount; ++t) {
        state.present[t] = FieldLayoutTable[t].isConfigTable;
        state.destroyed[t] = destroyed[t];
        state.toWrite[t] = 0;
    }
    uint8_t result;
    {
        TFormTableInfo form(this);
        form.State = &state;
        form.StatusBar = StatusBar1;
        form.exec();
        result = form.Result;
    }
    switch (result) {
    case 0:
        return version != 14;
    case 1: {
        bool others = false;
        for (int t = 0; t < kTableCount; ++t)
            if (state.toWrite[t] && t != 2) others = true;
        if (!others) {
            if (CheckSystemTableForTime(state)) WritePcTime();
            return true;
        }
        break;
    }
    case 2:
        if (version != 14) return true;
        g_RestoreAndDisconnect = 1;
        break;
    default:
        return false;
    }
    // 14. Restore from a configuration file.
    ConfigRecord record;
    if (OpenConfigFile(&record) && RestoreConfigTables(record, state)) WriteRestoredConfig(state);
    // 15. A restore of a version-14 controller ends the connection.
    if (g_RestoreAndDisconnect) {
        g_RestoreAndDisconnect = 0;
        return false;
    }
    return true;
}
