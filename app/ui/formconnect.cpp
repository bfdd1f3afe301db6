#include "app/ui/formconnect.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include "app/connect.h"
#include "app/connstatus.h"
#include "app/rd_wr_ini.h"
#include "app/ui/formabonent.h"
#include "app/ui/formabonents_list.h"
#include "app/ui/formconn_par.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/qtext.h"
#include "link/hgcbox.h"

namespace {

constexpr int kWidth = 440;

void Message(const char* line1, const char* line2) {
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues(line1, line2);
}

}  // namespace

TFormConnect::TFormConnect(qvr::IStatusBar* statusBar, QWidget* parent) : QDialog(parent), StatusBar(statusBar) {
    setObjectName(QStringLiteral("FormConnect"));
    setWindowTitle(QStringLiteral("Установка связи с устройством"));

    auto* l1 = new QLabel(QStringLiteral("Вид связи"), this);
    l1->setGeometry(12, 12, 150, 22);
    ComboBox3 = new QComboBox(this);
    ComboBox3->setObjectName(QStringLiteral("ComboBox3"));
    ComboBox3->addItems({QStringLiteral("Непосредственная связь"), QStringLiteral("Связь по телефону"),
                         QStringLiteral("Ethernet-интерфейс")});
    ComboBox3->setGeometry(170, 12, 256, 22);

    auto* l2 = new QLabel(QStringLiteral("Адрес устройства"), this);
    l2->setGeometry(12, 44, 150, 22);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    qvr::MakeListEditable(ComboBox1);
    for (int i = 1; i <= 255; ++i) ComboBox1->addItem(QString::number(i));
    ComboBox1->setGeometry(170, 44, 80, 22);

    pn_abon = new QFrame(this);
    pn_abon->setObjectName(QStringLiteral("pn_abon"));
    pn_abon->setFrameShape(QFrame::StyledPanel);
    pn_abon->setGeometry(8, 76, kWidth - 16, 64);
    auto* l3 = new QLabel(QStringLiteral("Абонент"), pn_abon);
    l3->setGeometry(4, 4, 150, 22);
    ComboBox2 = new QComboBox(pn_abon);
    ComboBox2->setObjectName(QStringLiteral("ComboBox2"));
    // The list takes the panel's whole width, so that a name of 49 characters shows whole;
    // the directory button stands beside the heading above it.
    ComboBox2->setGeometry(4, 32, kWidth - 16 - 8, 24);
    SpeedButton1 = new QPushButton(QStringLiteral("Список абонентов"), pn_abon);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(kWidth - 16 - 146, 3, 142, 26);

    BitBtn1 = new QPushButton(QStringLiteral("Связаться"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    // Created as they stand, left to right, so that Tab goes through them in that order.
    BitBtn3 = new QPushButton(QStringLiteral("Изменить параметры связи"), this);
    BitBtn3->setObjectName(QStringLiteral("BitBtn3"));
    BitBtn2 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn1->setDefault(true);

    // activated: only the user's choices, not the lists being filled.
    connect(ComboBox3, &QComboBox::activated, this, &TFormConnect::ComboBox3Change);
    connect(ComboBox2, &QComboBox::activated, this, &TFormConnect::ComboBox2Change);
    connect(SpeedButton1, &QPushButton::clicked, this, &TFormConnect::SpeedButton1Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormConnect::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormConnect::BitBtn3Click);
}

void TFormConnect::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

int TFormConnect::Users() const {
    const int kind = ConnSettings.Conn_Prz;
    return kind == 1 ? ConnSettings.FonList.head.users_num : kind == 2 ? ConnSettings.EthrList.head.users_num : 0;
}

int TFormConnect::UserIndex() const {
    const int kind = ConnSettings.Conn_Prz;
    return kind == 1 ? ConnSettings.FonList.head.user_index : kind == 2 ? ConnSettings.EthrList.head.user_index : 0;
}

bool TFormConnect::SubscriberSelected() const {
    const int i = ComboBox2->currentIndex();
    return i >= 0 && i < Users();
}

void TFormConnect::ShowBars(bool on) {
    for (qvr::IStatusBar* bar : {g_StatusBar2, g_StatusBar3})
        if (auto* w = dynamic_cast<QWidget*>(bar)) w->setVisible(on);
}

void TFormConnect::FormShow() {
    const int kind = ConnSettings.Conn_Prz;
    ComboBox3->setCurrentIndex(kind <= 2 ? kind : -1);
    setFixedWidth(kWidth);
    ComboBox3Change();
    if (ComboBox3->currentIndex() < 0)
        ComboBox3->setFocus();
    else
        BitBtn1->setFocus();
}

void TFormConnect::SetSubscriberSelection() {
    const int n = Users();
    if (n == 0) {
        ComboBox2->setCurrentIndex(-1);
        ComboBox1->setCurrentIndex(-1);
        ComboBox1->setEditText(QString());
        return;
    }
    const int i = UserIndex() < n ? UserIndex() : n - 1;
    ComboBox2->setCurrentIndex(i);
    const int adr = ConnSettings.Conn_Prz == 1 ? ConnSettings.FonList.entries[i].contr_adr
                                               : ConnSettings.EthrList.entries[i].contr_adr;
    ComboBox1->setCurrentIndex(adr - 1);
    ComboBox1->setEditText(QString::number(adr));
}

void TFormConnect::FillSubscribers() {
    ComboBox2->clear();
    const int n = Users();
    for (int i = 0; i < n; ++i) {
        const char* name = ConnSettings.Conn_Prz == 1 ? ConnSettings.FonList.entries[i].user_name
                                                      : ConnSettings.EthrList.entries[i].user_name;
        ComboBox2->addItem(qvr::FromWin(name, 50));
    }
    if (n < kMaxSubscribers) ComboBox2->addItem(QStringLiteral("Новый абонент"));
    SetSubscriberSelection();
}

void TFormConnect::ComboBox3Change() {
    const int kind = ComboBox3->currentIndex();
    if (kind < 0) return;
    ConnSettings.Conn_Prz = uint8_t(kind);
    if (kind == 0) {
        ShowBars(false);
        pn_abon->hide();
        setFixedHeight(194);
        ComboBox1->setEnabled(true);
        ComboBox1->setCurrentIndex(ConnSettings.Dir.Adr - 1);
        ComboBox1->setEditText(QString::number(ConnSettings.Dir.Adr));
        ShowConnectionStatus(StatusBar);
        BitBtn1->setEnabled(true);
        BitBtn3->setEnabled(true);
    } else {
        ShowBars(true);
        pn_abon->show();
        setFixedHeight(266);
        ComboBox1->setEnabled(false);
        FillSubscribers();
        ShowConnectionStatus(StatusBar);
        BitBtn1->setEnabled(true);
        BitBtn3->setEnabled(true);
    }
    const int y = height() - 44;
    BitBtn1->setGeometry(12, y, 120, 28);
    BitBtn3->setGeometry(140, y, 180, 28);
    BitBtn2->setGeometry(kWidth - 112, y, 100, 28);
}

void TFormConnect::ComboBox2Change() {
    const int kind = ConnSettings.Conn_Prz;
    if (kind != 1 && kind != 2) return;
    const int sel = ComboBox2->currentIndex();
    const int n = Users();
    if (sel < 0) {
        BitBtn1->setEnabled(false);
        BitBtn3->setEnabled(false);
        ShowConnectionStatus(StatusBar);
        return;
    }
    if (sel < n) {
        if (kind == 1)
            ConnSettings.FonList.head.user_index = uint8_t(sel);
        else
            ConnSettings.EthrList.head.user_index = uint8_t(sel);
        SetSubscriberSelection();
        ShowConnectionStatus(StatusBar);
        BitBtn1->setEnabled(true);
        BitBtn3->setEnabled(true);
        return;
    }
    // "Новый абонент": the free entry behind the last one.
    if (n >= kMaxSubscribers) return;
    TFormAbonent f(this);
    f.EditMode = 0;
    if (kind == 1)
        f.PhoneEntry = &ConnSettings.FonList.entries[n];
    else
        f.EthEntry = &ConnSettings.EthrList.entries[n];
    f.exec();
    if (!f.Accepted) {
        SetSubscriberSelection();
        const bool any = SubscriberSelected();
        BitBtn1->setEnabled(any);
        return;
    }
    if (kind == 1) {
        SubscriberListHead& h = ConnSettings.FonList.head;
        h.user_index = uint8_t(n);
        h.users_num = uint8_t(n + 1);
        if (h.users_num > 1) SortPhoneSubscribers(ConnSettings.FonList);
        WritePhoneSubscribers(g_PhoneListIniPath);
    } else {
        SubscriberListHead& h = ConnSettings.EthrList.head;
        h.user_index = uint8_t(n);
        h.users_num = uint8_t(n + 1);
        if (h.users_num > 1) SortEthSubscribers(ConnSettings.EthrList);
        WriteEthSubscribers(g_EthListIniPath);
    }
    FillSubscribers();
    ShowConnectionStatus(StatusBar);
    BitBtn1->setEnabled(true);
    BitBtn3->setEnabled(true);
}

void TFormConnect::SpeedButton1Click() {
    TFormAbonents_List f(this);
    f.exec();
    if (!f.Changed) return;
    {
        qvr::HourglassScope hourglass;
        if (ConnSettings.Conn_Prz == 1)
            WritePhoneSubscribers(g_PhoneListIniPath);
        else
            WriteEthSubscribers(g_EthListIniPath);
        FillSubscribers();
    }
    const bool any = SubscriberSelected();
    BitBtn1->setEnabled(any);
    BitBtn3->setEnabled(any);
    ShowConnectionStatus(StatusBar);
}

void TFormConnect::BitBtn3Click() {
    TFormConn_Par f(this);
    f.exec();
    if (!f.Accepted) return;
    WriteConnSettings(g_SettingsIniPath);
    ShowConnectionStatus(StatusBar);
    if (ConnSettings.Conn_Prz == 0) {
        ComboBox1->setCurrentIndex(ConnSettings.Dir.Adr - 1);
        ComboBox1->setEditText(QString::number(ConnSettings.Dir.Adr));
    }
}

bool TFormConnect::ConnectEthernet() {
    int64_t adr = 0;
    if (!ParseIntField(ComboBox1->currentText().toStdString(), adr) || adr < 1 || adr > 255) adr = 0;
    if (!::ConnectEthernet(uint8_t(adr), SubscriberSelected())) return false;
    WriteConnSettings(g_SettingsIniPath);
    ShowConnectionStatus(StatusBar);
    return true;
}

void TFormConnect::BitBtn1Click() {
    const std::string adrText = ComboBox1->currentText().toStdString();
    if (adrText.empty() || ComboBox3->currentIndex() < 0) return Message(kMsgNotAllParams, "");
    int64_t adr = 0;
    if (!ParseIntField(adrText, adr) || adr < 1 || adr > 255)
        return Message("Адрес вне допустимого диапазона", "(1...255)");
    CloseEnginePort();
    bool ok;
    if (ConnSettings.Conn_Prz == 2)
        ok = ConnectEthernet();
    else
        ok = ConnectComPort(uint8_t(adr), ConnSettings.Conn_Prz == 0 || SubscriberSelected(), StatusBar);
    if (!ok) return;
    Connected = 1;
    accept();
}
