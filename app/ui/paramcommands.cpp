// The main window's commands over the connected controller's parameter tables. Most read a
// table into the image, keep a copy of it, let the table's form edit the image and write
// back only the fields that changed; the others are the clock correction, the upper-level
// link (the engine follows the new address and rate), the users, the flow computers, the
// controller name, the current state and the momentary data.
#include <QAction>
#include <cstring>
#include <functional>
#include <string>

#include "app/connstatus.h"
#include "app/rd_wr_ini.h"
#include "app/ui/formabout.h"
#include "app/ui/formmain.h"
#include "common/codepage.h"
#include "common/doswin.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/suplfunc.h"
#include "data/ui/momcommands.h"
#include "link/conffun.h"
#include "link/hgcbox.h"
#include "params/clock.h"
#include "params/ui/formaccess.h"
#include "params/ui/formconeth.h"
#include "params/ui/formconfig.h"
#include "params/ui/formconhgc.h"
#include "params/ui/formconvich.h"
#include "params/ui/formconvu.h"
#include "params/ui/formconwmt.h"
#include "params/ui/formcontrname.h"
#include "params/ui/formdistr.h"
#include "params/ui/formdt.h"
#include "params/ui/formfloulist.h"
#include "params/ui/formident.h"
#include "params/ui/formlimits.h"
#include "params/ui/formsys.h"

using qvr::ShowQues;

namespace {

// How a command of the read-edit-write kind ended.
enum class EditOutcome { ReadFailed, Cancelled, WriteFailed, Written };

// Tables a command works on.
constexpr uint8_t kIdentTable = 0;
constexpr uint8_t kClockTable = 2;
constexpr uint8_t kUpperLinkTable = 3;
constexpr uint8_t kUsersTable = 4;
constexpr uint8_t kNameTable = 5;
constexpr uint8_t kSystemTable = 6;
constexpr uint8_t kStateTable = 7;
constexpr uint8_t kFunctionsTable = 8;
constexpr uint8_t kFlowLinkTable = 9;
constexpr uint8_t kNameSize = 20;
// Table 6 field 8: a moisture analyser is connected.
constexpr int kMoistureField = 8;

bool Read(TFormMain* m, uint8_t table, uint8_t first, uint8_t count) {
    qvr::HourglassScope busy;
    return ReadTableFields(TableRequest{table, first, count}, m->StatusBar1, 1);
}

bool WriteChanged(TFormMain* m, uint8_t table, uint8_t count) {
    qvr::HourglassScope busy;
    return WriteChangedFields(TableRequest{table, 0, count}, m->OldTableCopy, m->StatusBar1);
}

// Keeps fields 0..count-1 of the table as read; false (nothing kept) for a table larger
// than the copy.
bool KeepOldCopy(TFormMain* m, uint8_t table, uint8_t count) {
    const size_t size = size_t(count) * size_t(FieldSize(table));
    const uint8_t* p = TablePtr(table);
    if (!p || size > sizeof m->OldTableCopy) return false;
    std::memcpy(m->OldTableCopy, p, size);
    return true;
}

// Reads fields 0..count-1, keeps the old copy and shows the form in device mode on the
// image. Returns whether the form was accepted (false also after a failed read).
template <class Form>
EditOutcome ReadAndEdit(TFormMain* m, uint8_t table, uint8_t count, const std::function<void(Form&)>& setup = {}) {
    if (!Read(m, table, 0, count)) return EditOutcome::ReadFailed;
    if (!KeepOldCopy(m, table, count)) return EditOutcome::ReadFailed;
    uint8_t accepted;
    {
        Form form(m);
        form.Data = TablePtr(table);
        form.Mode = 1;
        if (setup) setup(form);
        form.exec();
        accepted = form.Accepted;
    }
    return accepted ? EditOutcome::Written : EditOutcome::Cancelled;
}

// The whole read-edit-write pattern over fields 0..count-1.
template <class Form>
EditOutcome EditTable(TFormMain* m, uint8_t table, uint8_t count, const std::function<void(Form&)>& setup = {}) {
    const EditOutcome r = ReadAndEdit<Form>(m, table, count, setup);
    if (r != EditOutcome::Written) return r;
    return WriteChanged(m, table, count) ? EditOutcome::Written : EditOutcome::WriteFailed;
}

std::string Trimmed(const uint8_t* p, size_t n) {
    std::string s(reinterpret_cast<const char*>(p), n);
    const size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

void TFormMain::ConnectParamCommands() {
    const std::pair<const char*, void (TFormMain::*)()> commands[] = {
        {"Nident", &TFormMain::NidentClick},
        {"NContrName", &TFormMain::NContrNameClick},
        {"NConVU", &TFormMain::NConVUClick},
        {"NConHGC", &TFormMain::NConHGCClick},
        {"NConnWMT", &TFormMain::NConnWMTClick},
        {"N4", &TFormMain::NVichParClick},
        {"NEthernet", &TFormMain::NEthernetClick},
        {"Nsys", &TFormMain::NsysClick},
        {"NCurrVich", &TFormMain::NCurrVichClick},
        {"NInsens", &TFormMain::NInsensClick},
        {"NLowAttent", &TFormMain::NLowAttentClick},
        {"NUpAttent", &TFormMain::NUpAttentClick},
        {"NLowLimit", &TFormMain::NLowLimitClick},
        {"NUpperLimit", &TFormMain::NUpperLimitClick},
        {"NDistr", &TFormMain::NDistrClick},
        {"Ndistrpar", &TFormMain::NdistrparClick},
        {"NPass", &TFormMain::NPassClick},
        {"NContrDt", &TFormMain::NContrDtClick},
        {"NFun", &TFormMain::NFunClick},
        {"NSit", &TFormMain::NSitClick},
        {"NChrom_MomData", &TFormMain::NChrom_MomDataClick},
        {"NMean", &TFormMain::NMeanClick},
        {"Nabout", &TFormMain::NaboutClick},
    };
    for (const auto& [name, handler] : commands) OnItem(name, [this, handler = handler] { (this->*handler)(); });
    qvr::InstallConfigEditor();
}

// ---------------------------------------------------------------- views

void TFormMain::NidentClick() {
    if (!Read(this, kIdentTable, 0, 18)) return;
    TFormIdent form(this);
    form.Mode = 1;
    form.Data = TablePtr(kIdentTable);
    form.exec();
    TimerMessage->start();
}

void TFormMain::NFunClick() {
    if (!Read(this, kFunctionsTable, 0, 2)) return;
    TFormFunInfo form(this);
    form.exec();
    TimerMessage->start();
}

void TFormMain::NMeanClick() {
    TFormMean form(this);
    form.exec();
}

void TFormMain::NaboutClick() {
    TFormAbout form(this);
    form.exec();
}

// ---------------------------------------------------------------- the plain pattern

void TFormMain::NConHGCClick() {
    EditTable<TFormConHGC>(this, 14, 8);
    TimerMessage->start();
}

void TFormMain::NConnWMTClick() {
    EditTable<TFormConWMT>(this, 15, 8);
    TimerMessage->start();
}

void TFormMain::NEthernetClick() {
    EditTable<TFormConEth>(this, 29, 7);
    TimerMessage->start();
}

void TFormMain::NDistrClick() {
    EditTable<TFormPrzDistr>(this, 21, 20);
    TimerMessage->start();
}

void TFormMain::NdistrparClick() {
    EditTable<TFormDistr>(this, 28, 2);
    TimerMessage->start();
}

namespace {
void EditLimits(TFormMain* m, uint8_t kind) {
    EditTable<TFormLimits>(m, uint8_t(22 + kind), 20, [kind](TFormLimits& f) { f.LimitKind = kind; });
    m->TimerMessage->start();
}
}  // namespace

void TFormMain::NInsensClick() { EditLimits(this, 0); }
void TFormMain::NLowAttentClick() { EditLimits(this, 1); }
void TFormMain::NUpAttentClick() { EditLimits(this, 2); }
void TFormMain::NLowLimitClick() { EditLimits(this, 3); }
void TFormMain::NUpperLimitClick() { EditLimits(this, 4); }

// ---------------------------------------------------------------- beyond the pattern

void TFormMain::NsysClick() {
    if (EditTable<TFormSys>(this, kSystemTable, 10) == EditOutcome::Written) {
        g_MoisturePresent = TablePtr(kSystemTable)[kMoistureField];
        UpdateMainMenu();
    }
    TimerMessage->start();
}

void TFormMain::NConVUClick() {
    if (EditTable<TFormConVU>(this, kUpperLinkTable, 4) == EditOutcome::Written) {
        // The controller answers at its new address and rate from now on: the engine and
        // the stored link settings follow it (saved to the settings file at exit).
        const uint8_t* t3 = TablePtr(kUpperLinkTable);
        FollowControllerLink(t3[0], qvr::IndexToBaud(t3[1]), StatusBar1);
    }
    TimerMessage->start();
}

void TFormMain::NContrNameClick() {
    if (!Read(this, kNameTable, 0, 1)) return;
    KeepOldCopy(this, kNameTable, 1);
    // A controller that keeps its texts in CP866 is shown and edited in Windows-1251.
    const bool dos = IdentByte(ident::kTextCodePage) == 0;
    uint8_t* name = TablePtr(kNameTable);
    if (dos) qvr::DosToWin(name, kNameSize);
    uint8_t accepted;
    {
        TFormContrName form(this);
        form.Data = name;
        form.exec();
        accepted = form.Accepted;
    }
    if (!accepted) return;
    if (dos) qvr::WinToDos(name, kNameSize);
    const bool written = WriteChanged(this, kNameTable, 1);
    if (dos) qvr::DosToWin(name, kNameSize);
    if (written) StatusBar1->SetPanelText(1, qvr::WinToUtf8(Trimmed(name, kNameSize)));
    TimerMessage->start();
}

void TFormMain::NVichParClick() {
    if (ReadAndEdit<TFormConVich>(this, kFlowLinkTable, 8) != EditOutcome::Written) return;
    uint8_t* t9 = TablePtr(kFlowLinkTable);
    if (t9[0] <= OldTableCopy[0]) {
        WriteChanged(this, kFlowLinkTable, 8);
        TimerMessage->start();
        return;
    }
    g_QuesKind = qvr::kQuesQuestion;
    ShowQues("Количество вычислителей не может быть увеличено",
             "без ввода их параметров. Выполнить ввод параметров сейчас?");
    if (!g_QuesAnswer) {
        // Nothing is written: the image keeps the controller's table 9, not a count the
        // controller never got.
        std::memcpy(t9, OldTableCopy, TableSize(kFlowLinkTable));
        return;
    }
    qvr::EnterFlowComputers(this, OldTableCopy, StatusBar1);
    TimerMessage->start();
}

void TFormMain::NCurrVichClick() {
    qvr::EditFlowComputers(this, StatusBar1);
    TimerMessage->start();
}

void TFormMain::NPassClick() {
    if (!Read(this, kStateTable, 0, 38)) return;
    if (TablePtr(kStateTable)[kUsersTable] != 0) {
        g_QuesKind = qvr::kQuesTableDestroyed;
        ShowQues("Таблица доступа пользователей", "требует полной перезаписи");
        return;
    }
    // 352 bytes: two reads, each within the limit of one reply.
    if (!Read(this, kUsersTable, 0, 11)) return;
    if (!Read(this, kUsersTable, 11, 5)) return;
    qvr::ChangeUserAccess(this, StatusBar1);
    TimerMessage->start();
}

void TFormMain::NContrDtClick() {
    if (!Read(this, kStateTable, 0, 7)) return;
    const uint8_t* destroyed = TablePtr(kStateTable);
    if (destroyed[kSystemTable]) {
        g_QuesKind = qvr::kQuesTableDestroyed;
        ShowQues("Разрушена таблица системных параметров.",
                 "Информация о текущих дате и времени не может быть представлена");
        return;
    }
    if (!Read(this, kSystemTable, 0, 10)) return;
    if (destroyed[kClockTable]) {
        g_QuesKind = qvr::kQuesQuestion;
        ShowQues("Таблица даты и времени разрушена.", "Воcстановить сейчас?");
        if (g_QuesAnswer) WritePcTime();
        TimerMessage->start();
        return;
    }
    if (!Read(this, kClockTable, 0, 8)) return;
    int16_t seconds;
    uint8_t accepted;
    {
        TFormDt form(this);
        std::memcpy(form.CtlTime, TablePtr(kClockTable), sizeof form.CtlTime);
        // The PC clock at the moment of that read, so both clocks are compared at once.
        form.PcTime = g_Hgc->LastExchange;
        form.exec();
        accepted = form.Accepted;
        seconds = form.CorrectionSeconds;
    }
    if (accepted) qvr::SendClockCorrection(seconds, StatusBar1);
    TimerMessage->start();
}

void TFormMain::NSitClick() {
    qvr::NSitClick(this, StatusBar1, TimerMessage, [this] { Disconnect(); }, [this] { UpdateMainMenu(); });
}

void TFormMain::NChrom_MomDataClick() { qvr::NChrom_MomDataClick(this, StatusBar1, TimerMessage); }
