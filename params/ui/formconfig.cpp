#include "params/ui/formconfig.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <string>

#include "common/codepage.h"
#include "common/ui/qtext.h"
#include "params/flowcomputers.h"
#include "params/ui/formaccess.h"
#include "params/ui/formconeth.h"
#include "params/ui/formconhgc.h"
#include "params/ui/formconvich.h"
#include "params/ui/formconvu.h"
#include "params/ui/formconwmt.h"
#include "params/ui/formdistr.h"
#include "params/ui/formfloulist.h"
#include "params/ui/formident.h"
#include "params/ui/formlimits.h"
#include "params/ui/formsys.h"
#include "params/users.h"

namespace {

constexpr int kWidth = 760;
constexpr int kHeight = 482;
constexpr int kRowHeight = 34;
constexpr int kButtonSize = 26;
// Table 6 field 8 in the record: a moisture analyser is connected.
constexpr size_t kMoistureByte = cfgrec::kTable6 + 8;
// Table 4 in the restore's choice.
constexpr int kUsersTable = 4;

QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* title, QRect geometry) {
    auto* g = new QGroupBox(QString::fromUtf8(title), parent);
    g->setObjectName(QString::fromLatin1(name));
    g->setGeometry(geometry);
    return g;
}

}  // namespace

TFormConfig::TFormConfig(QWidget* owner) : QDialog(owner) {
    // Only the system-menu icon: no minimise, maximise or help button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, kWidth, kHeight);
    Panel1->setAutoFillBackground(true);
    SetPanelColor(kPanelColor);

    LabelName = new QLabel(QStringLiteral("Наименование контроллера"), Panel1);
    LabelName->setObjectName(QStringLiteral("LabelName"));
    LabelName->setGeometry(12, 10, 330, 20);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(int(cfgrec::kNameSize));
    Edit1->setGeometry(12, 32, 330, 26);
    LabelName->setBuddy(Edit1);
    // Only what the user types changes the record; filling the field when shown does not.
    connect(Edit1, &QLineEdit::textEdited, this, &TFormConfig::Edit1Change);

    // One row: a small button and its label to the right of it.
    auto row = [this](QGroupBox* group, int index, const char* button, const char* label, QPushButton*& btn,
                      QLabel*& lbl) {
        const int y = 24 + index * kRowHeight;
        btn = new QPushButton(QStringLiteral("..."), group);
        btn->setObjectName(QString::fromLatin1(button));
        btn->setGeometry(10, y, kButtonSize + 8, kButtonSize);
        btn->setAutoDefault(false);
        lbl = new QLabel(QString::fromUtf8(label), group);
        lbl->setObjectName(QStringLiteral("Label_") + QString::fromLatin1(button));
        lbl->setGeometry(52, y - 4, group->width() - 60, kRowHeight);
        lbl->setWordWrap(true);
        lbl->setBuddy(btn);
    };
    auto groupHeight = [](int rows) { return 30 + rows * kRowHeight; };

    // Left column: identification, links, settings.
    int y = 66;
    GroupIdent = MakeGroup(Panel1, "GroupIdent", "Параметры идентификации", QRect(10, y, 340, groupHeight(1)));
    row(GroupIdent, 0, "BitBtn24", "Параметры идентификации", BitBtn24, LabelIdent);
    y += groupHeight(1) + 8;
    GroupLink = MakeGroup(Panel1, "GroupLink", " Параметры связи ", QRect(10, y, 340, groupHeight(5)));
    row(GroupLink, 0, "BitBtn12", "С  вычислителями расхода газа", BitBtn12, LabelVich);
    row(GroupLink, 1, "BitBtn16", "С верхним уровнем", BitBtn16, LabelVU);
    row(GroupLink, 2, "BitBtn17", "С хроматографом", BitBtn17, LabelHGC);
    row(GroupLink, 3, "BitBtn13", "С влагомером", BitBtn13, LabelWMT);
    row(GroupLink, 4, "BitBtn18", "Параметры Ethernet", BitBtn18, LabelEth);
    y += groupHeight(5) + 8;
    GroupSettings = MakeGroup(Panel1, "GroupSettings", " Параметры настроек ", QRect(10, y, 340, groupHeight(1)));
    row(GroupSettings, 0, "BitBtn6", "Системные параметры", BitBtn6, LabelSys);

    // Right column: flow computers, gas limits, users.
    y = 10;
    GroupFlow = MakeGroup(Panel1, "GroupFlow", " Параметры работы с вычислителями расхода газа ",
                          QRect(360, y, 390, groupHeight(3)));
    row(GroupFlow, 0, "BitBtn3", "Параметры вычислителей", BitBtn3, LabelFlouList);
    row(GroupFlow, 1, "BitBtn4", "Необходимость записи значений параметров газа в ВРГ", BitBtn4, LabelPrzDistr);
    row(GroupFlow, 2, "BitBtn5", "Период записи средних за час значений параметров газа в ВРГ", BitBtn5, LabelDistr);
    y += groupHeight(3) + 8;
    GroupLimits = MakeGroup(Panel1, "GroupLimits", " Уставки параметров газа ", QRect(360, y, 390, groupHeight(5)));
    row(GroupLimits, 0, "BitBtn7", "Зона нечувствительности изменений", BitBtn7, LabelInsens);
    row(GroupLimits, 1, "BitBtn8", "Нижняя предупредительная уставка", BitBtn8, LabelLowAttent);
    row(GroupLimits, 2, "BitBtn9", "Верхняя предупредительная уставка", BitBtn9, LabelUpAttent);
    row(GroupLimits, 3, "BitBtn10", "Нижний предел значений параметра газа, допускаемого к записи в ВРГ", BitBtn10,
        LabelLowLimit);
    row(GroupLimits, 4, "BitBtn11", "Верхний предел значений параметра газа, допускаемого к записи в ВРГ", BitBtn11,
        LabelUpLimit);
    y += groupHeight(5) + 8;
    GroupUsers = MakeGroup(Panel1, "GroupUsers", " Доступ пользователей  к записи в контроллер ",
                           QRect(360, y, 390, groupHeight(1)));
    row(GroupUsers, 0, "BitBtn15", "Зарегистрированные пользователи", BitBtn15, LabelUsers);

    // Bottom row: the accept button of the mode and "Отменить".
    auto button = [this](const char* name, const char* text, QRect geometry) {
        auto* b = new QPushButton(QString::fromUtf8(text), Panel1);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(geometry);
        b->setAutoDefault(false);
        return b;
    };
    BitBtn1 = button("BitBtn1", "Принять", QRect(kWidth / 2 - 200, kHeight - 46, 190, 30));
    BitBtn14 = button("BitBtn14", "Записать в устройство", QRect(kWidth / 2 - 200, kHeight - 46, 190, 30));
    BitBtn2 = button("BitBtn2", "Отменить", QRect(kWidth / 2 + 10, kHeight - 46, 150, 30));

    connect(BitBtn1, &QPushButton::clicked, this, &TFormConfig::BitBtn1Click);
    connect(BitBtn14, &QPushButton::clicked, this, &TFormConfig::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormConfig::BitBtn2Click);
    const std::pair<QPushButton*, void (TFormConfig::*)()> handlers[] = {
        {BitBtn24, &TFormConfig::BitBtn24Click}, {BitBtn12, &TFormConfig::BitBtn12Click},
        {BitBtn16, &TFormConfig::BitBtn16Click}, {BitBtn17, &TFormConfig::BitBtn17Click},
        {BitBtn13, &TFormConfig::BitBtn13Click}, {BitBtn18, &TFormConfig::BitBtn18Click},
        {BitBtn6, &TFormConfig::BitBtn6Click},   {BitBtn3, &TFormConfig::BitBtn3Click},
        {BitBtn4, &TFormConfig::BitBtn4Click},   {BitBtn5, &TFormConfig::BitBtn5Click},
        {BitBtn7, &TFormConfig::BitBtn7Click},   {BitBtn8, &TFormConfig::BitBtn8Click},
        {BitBtn9, &TFormConfig::BitBtn9Click},   {BitBtn10, &TFormConfig::BitBtn10Click},
        {BitBtn11, &TFormConfig::BitBtn11Click}, {BitBtn15, &TFormConfig::BitBtn15Click},
    };
    for (const auto& [b, h] : handlers) connect(b, &QPushButton::clicked, this, h);
    FormCreate();
}

void TFormConfig::FormCreate() {
    Record = nullptr;
    RestoreMode = 0;
    TableState = nullptr;
    Accepted = 0;
    Changed = 0;
}

unsigned TFormConfig::PanelColor() const { return panelColor_; }

void TFormConfig::SetPanelColor(unsigned rgb) {
    panelColor_ = rgb;
    QPalette p = Panel1->palette();
    p.setColor(QPalette::Window, QColor(QRgb(rgb)));
    Panel1->setPalette(p);
    Panel1->update();
}

QString TFormConfig::TrimmedName() const {
    if (!Record) return QString();
    // A zero ends the name (a record that was never named may hold zeros).
    const std::string text = qvr::FieldText(Record->bytes + cfgrec::kName, cfgrec::kNameSize);
    return qvr::FromWin(TrimmedField(text.data(), text.size()));
}

void TFormConfig::SetCaption() {
    setWindowTitle(QStringLiteral("Параметры конфигурации контроллера \"") + TrimmedName() + QStringLiteral("\" "));
}

void TFormConfig::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormConfig::FormShow() {
    setFixedSize(kWidth, kHeight);
    if (!Record) return;
    SetCaption();
    std::memcpy(copy_, Record->bytes, cfgrec::kSize);
    Edit1->setText(TrimmedName());

    const bool restore = RestoreMode == 1;
    BitBtn1->setVisible(!restore);
    BitBtn14->setVisible(restore);
    // In a restore the user table can be edited only when it is written too.
    const bool users = !(restore && TableState && TableState->toWrite[kUsersTable] == 0);
    GroupUsers->setEnabled(users);
    LabelUsers->setEnabled(users);
    BitBtn15->setEnabled(users);
    EnableMoisture();
}

void TFormConfig::EnableMoisture() {
    const bool on = Record && Record->bytes[kMoistureByte] != 0;
    BitBtn13->setEnabled(on);
    LabelWMT->setEnabled(on);
}

void TFormConfig::Edit1Change(const QString& text) {
    if (!Record) return;
    uint8_t* name = Record->bytes + cfgrec::kName;
    std::memset(name, ' ', cfgrec::kNameSize);
    // A character Windows-1251 cannot hold becomes '?'.
    const std::string win = qvr::Win(text.left(int(cfgrec::kNameSize)).toStdString());
    std::memcpy(name, win.data(), std::min(win.size(), cfgrec::kNameSize));
    SetCaption();
}

void TFormConfig::BitBtn1Click() {
    Changed = (Record && std::memcmp(copy_, Record->bytes, cfgrec::kSize) != 0) ? 1 : 0;
    Accepted = 1;
    accept();
}

void TFormConfig::BitBtn2Click() { reject(); }

void TFormConfig::RunChild(const std::function<void()>& run) {
    if (!Record) return;
    SetPanelColor(kPanelBusyColor);
    run();
    SetPanelColor(kPanelColor);
}

template <class Form>
void TFormConfig::RunLinkForm(size_t offset, const std::function<void(Form&)>& setup) {
    RunChild([&] {
        Form f(this);
        f.Mode = 0;
        f.Data = Record->bytes + offset;
        if (setup) setup(f);
        f.exec();
    });
}

void TFormConfig::RunLimits(uint8_t kind, size_t offset) {
    RunLinkForm<TFormLimits>(offset, [kind](TFormLimits& f) { f.LimitKind = kind; });
}

void TFormConfig::BitBtn24Click() {
    RunChild([&] {
        TFormIdent f(this);
        f.Mode = Record->bytes[cfgrec::kOrigin];
        f.Data = Record->bytes + cfgrec::kIdent;
        f.exec();
    });
}

void TFormConfig::BitBtn12Click() { RunLinkForm<TFormConVich>(cfgrec::kTable9); }
void TFormConfig::BitBtn16Click() { RunLinkForm<TFormConVU>(cfgrec::kTable3); }
void TFormConfig::BitBtn17Click() { RunLinkForm<TFormConHGC>(cfgrec::kTable14); }
void TFormConfig::BitBtn13Click() { RunLinkForm<TFormConWMT>(cfgrec::kTable15); }
void TFormConfig::BitBtn18Click() { RunLinkForm<TFormConEth>(cfgrec::kTable29); }

void TFormConfig::BitBtn6Click() {
    RunLinkForm<TFormSys>(cfgrec::kTable6);
    // Switching the moisture analyser on or off shows at once.
    EnableMoisture();
}

void TFormConfig::BitBtn3Click() {
    RunChild([&] {
        TFormFlouList f(this);
        f.Mode = 0;
        f.Entries = Record->bytes + cfgrec::kFlowComputers;
        // A damaged count must not take the list past the 16 rows the record holds.
        f.Count = uint8_t(ClampFlowComputerCount(Record->bytes[cfgrec::kFlowComputerNumber]));
        f.exec();
        if (f.Accepted) Record->bytes[cfgrec::kFlowComputerNumber] = f.Count;
    });
}

void TFormConfig::BitBtn4Click() { RunLinkForm<TFormPrzDistr>(cfgrec::kTable21); }
void TFormConfig::BitBtn5Click() { RunLinkForm<TFormDistr>(cfgrec::kTable28); }
void TFormConfig::BitBtn7Click() { RunLimits(0, cfgrec::kTable22); }
void TFormConfig::BitBtn8Click() { RunLimits(1, cfgrec::kTable23); }
void TFormConfig::BitBtn9Click() { RunLimits(2, cfgrec::kTable24); }
void TFormConfig::BitBtn10Click() { RunLimits(3, cfgrec::kTable25); }
void TFormConfig::BitBtn11Click() { RunLimits(4, cfgrec::kTable26); }

void TFormConfig::BitBtn15Click() {
    RunChild([&] {
        UserEntry users[kUserCount];
        UsersFromBytes(Record->bytes + cfgrec::kUsers, users);
        TFormAccess f(this);
        f.Users = users;
        f.DeviceMode = 0;
        f.exec();
        if (f.Accepted) UsersToBytes(users, Record->bytes + cfgrec::kUsers);
    });
}

namespace qvr {

ConfigEditorOutcome EditConfigRecord(QWidget* parent, ConfigRecord* rec, uint8_t restoreMode,
                                     TableStateBuffer* state) {
    TFormConfig form(parent);
    form.Record = rec;
    form.RestoreMode = restoreMode;
    form.TableState = state;
    form.exec();
    return ConfigEditorOutcome{form.Accepted == 1, form.Changed == 1};
}

void InstallConfigEditor() {
    SetConfigEditor([](QWidget* parent, ConfigRecord* rec) { return EditConfigRecord(parent, rec, 0, nullptr); });
}

}  // namespace qvr
