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
#include "link/hgcbox.h"

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
