#include "app/ui/formconn_par.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <memory>

#include "app/connect.h"
#include "common/question.h"
#include "common/suplfunc.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"

namespace {

constexpr int kWidth = 606;
constexpr int kLabelX = 10, kLabelW = 390, kFieldX = 410, kFieldW = 160, kRowH = 25;

QLabel* RowLabel(QWidget* parent, int row, const char* text) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(kLabelX, 8 + row * kRowH, kLabelW, 22);
    return l;
}

QLineEdit* RowEdit(QWidget* parent, int row, const char* name, bool digits = true) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(kFieldX, 8 + row * kRowH, kFieldW, 22);
    if (digits) qvr::InstallDigitKeyFilter(e);
    return e;
}

QComboBox* RowCombo(QWidget* parent, int row, const char* name) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QString::fromLatin1(name));
    c->setGeometry(kFieldX, 8 + row * kRowH, kFieldW, 22);
    return c;
}

void FillTries(QComboBox* c) {
    for (int i = 1; i <= 5; ++i) c->addItem(QStringLiteral(" %1").arg(i));
}

std::string Text(const QLineEdit* e) { return e->text().toStdString(); }

void SetNumber(QLineEdit* e, long long v) { e->setText(QString::number(v)); }

}  // namespace

TFormConn_Par::TFormConn_Par(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormConn_Par"));

    pn_dir = new QFrame(this);
    pn_dir->setObjectName(QStringLiteral("pn_dir"));
    pn_dir->setFrameShape(QFrame::StyledPanel);
    pn_dir->setGeometry(8, 8, kWidth - 16, 7 * kRowH + 24);
    RowLabel(pn_dir, 0, "Коммуникационный порт");
    ComboBox1 = RowCombo(pn_dir, 0, "ComboBox1");
    RowLabel(pn_dir, 1, "Скорость обмена, бит/с");
    ComboBox2 = RowCombo(pn_dir, 1, "ComboBox2");
    RowLabel(pn_dir, 2, "Время ожидания первого байта ответа, с");
    Edit1 = RowEdit(pn_dir, 2, "Edit1");
    RowLabel(pn_dir, 3, "Время ожидания следующих байтов ответа, мс");
    Edit2 = RowEdit(pn_dir, 3, "Edit2");
    RowLabel(pn_dir, 4, "Количество преамбул в запросе");
    Edit3 = RowEdit(pn_dir, 4, "Edit3");
    RowLabel(pn_dir, 5, "Количество попыток обмена");
    ComboBox3 = RowCombo(pn_dir, 5, "ComboBox3");
    FillTries(ComboBox3);
    CheckBox1 = new QCheckBox(QStringLiteral("Освобождать порт после\nкаждого сеанса связи"), pn_dir);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setGeometry(kLabelX, 8 + 6 * kRowH, 200, 36);
    auto* waitLabel = new QLabel(QStringLiteral("Ожидание освобождения порта, с"), pn_dir);
    waitLabel->setGeometry(215, 8 + 6 * kRowH + 7, 190, 22);
    Edit4 = RowEdit(pn_dir, 6, "Edit4");
    Edit4->move(kFieldX, 8 + 6 * kRowH + 7);

    pn_fon = new QFrame(this);
    pn_fon->setObjectName(QStringLiteral("pn_fon"));
    pn_fon->setFrameShape(QFrame::StyledPanel);
    pn_fon->setGeometry(8, pn_dir->geometry().bottom() + 4, kWidth - 16, 3 * kRowH + 10);
    // The command edit is wider than the other fields: its label keeps to the left of it.
    constexpr int kCommandX = 220;
    RowLabel(pn_fon, 0, "Команды инициализации модема")->setFixedWidth(kCommandX - 8 - kLabelX);
    Edit5 = RowEdit(pn_fon, 0, "Edit5", false);
    Edit5->setGeometry(kCommandX, 8, kFieldX + kFieldW - kCommandX, 22);
    Edit5->setMaxLength(199);  // the text and its terminating zero fill the 200-byte field
    RowLabel(pn_fon, 1, "Ожидание соединения, с");
    Edit6 = RowEdit(pn_fon, 1, "Edit6");
    RowLabel(pn_fon, 2, "Количество попыток соединения");
    Edit7 = RowEdit(pn_fon, 2, "Edit7");

    pn_ethr = new QFrame(this);
    pn_ethr->setObjectName(QStringLiteral("pn_ethr"));
    pn_ethr->setFrameShape(QFrame::StyledPanel);
    pn_ethr->setGeometry(pn_dir->geometry());
    RowLabel(pn_ethr, 0, "Ожидание соединения, с");
    Edit8 = RowEdit(pn_ethr, 0, "Edit8");
    RowLabel(pn_ethr, 1, "Количество попыток соединения");
    Edit9 = RowEdit(pn_ethr, 1, "Edit9");
    RowLabel(pn_ethr, 2, "Время ожидания первого байта ответа, с");
    Edit10 = RowEdit(pn_ethr, 2, "Edit10");
    RowLabel(pn_ethr, 3, "Время ожидания следующих байтов ответа, мс");
    Edit11 = RowEdit(pn_ethr, 3, "Edit11");
    RowLabel(pn_ethr, 4, "Количество преамбул в запросе");
    Edit12 = RowEdit(pn_ethr, 4, "Edit12");
    RowLabel(pn_ethr, 5, "Количество попыток обмена");
    ComboBox4 = RowCombo(pn_ethr, 5, "ComboBox4");
    FillTries(ComboBox4);

    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    // Created as they stand, left to right, so that Tab goes through them in that order.
    BitBtn3 = new QPushButton(QStringLiteral("Поиск адреса устройства"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn2 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn1->setDefault(true);

    connect(CheckBox1, &QCheckBox::clicked, this, &TFormConn_Par::CheckBox1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormConn_Par::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormConn_Par::BitBtn3Click);
}

void TFormConn_Par::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormConn_Par::FillPortList() {
    ComboBox1->clear();
    int select = 0;
    for (int n = 1; n <= 255; ++n) {
        if (!ComPortPresent(n)) continue;
        if (n == Par.COMPort) select = ComboBox1->count();
        ComboBox1->addItem(QStringLiteral("COM%1").arg(n));
    }
    ComboBox1->setCurrentIndex(ComboBox1->count() > 0 ? select : -1);
}

void TFormConn_Par::ShowReleaseWait() {
    const bool on = ConnSettings.Conn_Prz == 0 && ConnSettings.Do_Close_Port != 0;
    Edit4->setEnabled(on);
    if (on)
        SetNumber(Edit4, ConnSettings.Free_Port_Wait);
    else
        Edit4->clear();
}

void TFormConn_Par::FormShow() {
    const int kind = ConnSettings.Conn_Prz;
    Par = kind == 0 ? ConnSettings.Dir : kind == 1 ? ConnSettings.Fon : ConnSettings.Ethr;
    BitBtn3->setVisible(kind == 0);
    int height = 344;

    if (kind == 0 || kind == 1) {
        pn_dir->show();
        pn_ethr->hide();
        FillPortList();
        ComboBox2->clear();
        for (uint32_t r : qvr::BaudRates) ComboBox2->addItem(QString::number(r));
        ComboBox2->setCurrentIndex(qvr::BaudToIndex(uint32_t(Par.Rate)));
        SetNumber(Edit1, Par.WaitTime);
        SetNumber(Edit2, Par.TimeOut);
        SetNumber(Edit3, Par.Preambles);
        ComboBox3->setCurrentIndex(Par.Repeat >= 1 && Par.Repeat <= 5 ? Par.Repeat - 1 : -1);
    }
    if (kind == 0) {
        setWindowTitle(QStringLiteral("Параметры связи с устройством (непосредственная связь)"));
        height = 264;
        pn_fon->hide();
        CheckBox1->setEnabled(true);
        CheckBox1->setChecked(ConnSettings.Do_Close_Port != 0);
        ShowReleaseWait();
    } else if (kind == 1) {
        setWindowTitle(QStringLiteral("Параметры связи с устройством (связь по телефону)"));
        pn_fon->show();
        CheckBox1->setChecked(false);
        CheckBox1->setEnabled(false);
        Edit4->clear();
        Edit4->setEnabled(false);
        Edit5->setText(qvr::FromWin(ConnSettings.Command, sizeof ConnSettings.Command));
        SetNumber(Edit6, ConnSettings.Fon_ConnectWaitTime);
        SetNumber(Edit7, ConnSettings.Fon_Conn_Repeat);
    } else {
        setWindowTitle(QStringLiteral("Параметры связи с устройством (Ethernet-интерфейс)"));
        pn_dir->hide();
        pn_fon->hide();
        pn_ethr->show();
        SetNumber(Edit8, ConnSettings.Ethr_ConnectWaitTime);
        SetNumber(Edit9, ConnSettings.Ethr_Conn_Repeat);
        SetNumber(Edit10, Par.WaitTime);
        SetNumber(Edit11, Par.TimeOut);
        SetNumber(Edit12, Par.Preambles);
        ComboBox4->setCurrentIndex(Par.Repeat >= 1 && Par.Repeat <= 5 ? Par.Repeat - 1 : -1);
    }
    setFixedSize(kWidth, height);
    const int y = height - 40;
    BitBtn1->setGeometry(20, y, 120, 28);
    BitBtn3->setGeometry((kWidth - 220) / 2, y, 220, 28);
    BitBtn2->setGeometry(kWidth - 140, y, 120, 28);
}

void TFormConn_Par::CheckBox1Click() {
    ConnSettings.Do_Close_Port = CheckBox1->isChecked() ? 1 : 0;
    ShowReleaseWait();
}

bool TFormConn_Par::AcceptInput() {
    ConnParInput in;
    in.kind = ConnSettings.Conn_Prz;
    if (in.kind == 2) {
        in.triesIndex = ComboBox4->currentIndex();
        in.connectWait = Text(Edit8);
        in.connRepeat = Text(Edit9);
        in.waitTime = Text(Edit10);
        in.timeOut = Text(Edit11);
        in.preambles = Text(Edit12);
    } else {
        in.portText = ComboBox1->currentIndex() >= 0 ? ComboBox1->currentText().toStdString() : std::string();
        in.rateIndex = ComboBox2->currentIndex();
        in.triesIndex = ComboBox3->currentIndex();
        in.waitTime = Text(Edit1);
        in.timeOut = Text(Edit2);
        in.preambles = Text(Edit3);
        in.freePortWait = Text(Edit4);
        if (in.kind == 1) {
            qvr::ToWin(Edit5->text(), in.command);
            in.connectWait = Text(Edit6);
            in.connRepeat = Text(Edit7);
        }
    }
    auto copy = std::make_unique<ConnSettingsRecord>();
    InputMessage msg;
    if (!CheckConnParInput(in, ConnSettings, *copy, msg)) {
        g_QuesKind = qvr::kQuesInputError;
        qvr::ShowQues(msg.line1, msg.line2);
        return false;
    }
    ConnSettings = *copy;
    const int kind = ConnSettings.Conn_Prz;
    Par = kind == 0 ? ConnSettings.Dir : kind == 1 ? ConnSettings.Fon : ConnSettings.Ethr;
    return true;
}

void TFormConn_Par::BitBtn1Click() {
    if (!AcceptInput()) return;
    Accepted = 1;
    accept();
}

void TFormConn_Par::BitBtn3Click() {
    if (!AcceptInput() || ConnSettings.Conn_Prz != 0) return;
    BitBtn1->setEnabled(false);
    BitBtn2->setEnabled(false);
    BitBtn3->setEnabled(false);
    const bool found = SearchDeviceAddress();
    BitBtn1->setEnabled(true);
    BitBtn2->setEnabled(true);
    BitBtn3->setEnabled(true);
    if (!found) return;
    Par = ConnSettings.Dir;
    Accepted = 1;
    accept();
}
