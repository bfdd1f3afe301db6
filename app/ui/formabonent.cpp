#include "app/ui/formabonent.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <cstring>

#include "app/connect.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"

namespace {

constexpr int kWidth = 568;

void Message(const char* line1, const char* line2) {
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues(line1, line2);
}

// Windows-1251 text of an edit into a zero-terminated field.
void StoreText(const QLineEdit* e, char* field, size_t width) {
    std::string win;
    qvr::ToWin(e->text(), win);
    std::memset(field, 0, width);
    std::memcpy(field, win.data(), std::min(win.size(), width - 1));
}

QLabel* Label(QWidget* parent, const char* text, int x, int y, int w) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setGeometry(x, y, w, 22);
    return l;
}

}  // namespace

TFormAbonent::TFormAbonent(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAbonent"));
    Label(this, "Наименование абонента", 12, 12, 200);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(220, 12, 330, 22);
    Edit1->setMaxLength(49);
    Label(this, "Адрес устройства", 12, 44, 200);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    qvr::MakeListEditable(ComboBox1);
    for (int i = 1; i <= 255; ++i) ComboBox1->addItem(QString::number(i));
    ComboBox1->setGeometry(220, 44, 100, 22);
    qvr::InstallDigitKeyFilter(ComboBox1->lineEdit());

    pn_fon = new QFrame(this);
    pn_fon->setObjectName(QStringLiteral("pn_fon"));
    pn_fon->setFrameShape(QFrame::StyledPanel);
    pn_fon->setGeometry(8, 76, kWidth - 16, 60);
    Label(pn_fon, "Номер телефона", 4, 18, 200);
    Edit2 = new QLineEdit(pn_fon);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(212, 18, 330, 22);
    Edit2->setMaxLength(29);

    pn_ethr = new QFrame(this);
    pn_ethr->setObjectName(QStringLiteral("pn_ethr"));
    pn_ethr->setFrameShape(QFrame::StyledPanel);
    pn_ethr->setGeometry(8, 76, kWidth - 16, 64);
    Label(pn_ethr, "IP-адрес", 4, 8, 200);
    auto makeIp = [this](const char* name, int x) {
        auto* e = new QLineEdit(pn_ethr);
        e->setObjectName(QString::fromLatin1(name));
        e->setGeometry(x, 8, 44, 22);
        e->setMaxLength(3);
        qvr::InstallDigitKeyFilter(e);
        return e;
    };
    ip4 = makeIp("ip4", 212);
    ip3 = makeIp("ip3", 264);
    ip2 = makeIp("ip2", 316);
    ip1 = makeIp("ip1", 368);
    for (int i = 0; i < 3; ++i) Label(pn_ethr, ".", 258 + 52 * i, 8, 6);
    Label(pn_ethr, "Порт", 4, 36, 200);
    Edit3 = new QLineEdit(pn_ethr);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setGeometry(212, 36, 80, 22);
    Edit3->setMaxLength(5);
    qvr::InstallDigitKeyFilter(Edit3);

    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormAbonent::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormAbonent::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormAbonent::FormShow() {
    const bool phone = ConnSettings.Conn_Prz == 1;
    int height;
    if (phone) {
        setWindowTitle(QStringLiteral("Параметры абонента (связь по телефону)"));
        pn_fon->show();
        pn_ethr->hide();
        height = 220;
    } else {
        setWindowTitle(QStringLiteral("Параметры абонента (Ethernet-интерфейс)"));
        pn_fon->hide();
        pn_ethr->show();
        height = 224;
    }
    setFixedSize(kWidth, height);
    BitBtn1->setGeometry(120, height - 44, 120, 28);
    BitBtn2->setGeometry(kWidth - 240, height - 44, 120, 28);

    if (EditMode == 0) {
        for (QLineEdit* e : {Edit1, Edit2, ip4, ip3, ip2, ip1, Edit3}) e->clear();
        ComboBox1->setCurrentIndex(-1);
        ComboBox1->setEditText(QString());
        Edit1->setFocus();
        return;
    }
    if (phone && PhoneEntry) {
        Edit1->setText(qvr::FromWin(PhoneEntry->user_name, sizeof PhoneEntry->user_name));
        ComboBox1->setCurrentIndex(PhoneEntry->contr_adr - 1);
        ComboBox1->setEditText(QString::number(PhoneEntry->contr_adr));
        Edit2->setText(qvr::FromWin(PhoneEntry->phone_code, sizeof PhoneEntry->phone_code));
    } else if (!phone && EthEntry) {
        Edit1->setText(qvr::FromWin(EthEntry->user_name, sizeof EthEntry->user_name));
        ComboBox1->setCurrentIndex(EthEntry->contr_adr - 1);
        ComboBox1->setEditText(QString::number(EthEntry->contr_adr));
        const uint32_t ip = EthEntry->ip_adr;
        ip4->setText(QString::number(ip >> 24));
        ip3->setText(QString::number((ip >> 16) & 0xFF));
        ip2->setText(QString::number((ip >> 8) & 0xFF));
        ip1->setText(QString::number(ip & 0xFF));
        Edit3->setText(QString::number(EthEntry->port));
    }
}

void TFormAbonent::BitBtn1Click() {
    const std::string adrText = ComboBox1->currentText().toStdString();
    if (adrText.empty() || Edit1->text().isEmpty()) return Message(kMsgNotAllParams, "");
    int64_t adr = 0;
    if (!ParseIntField(adrText, adr) || adr < 1 || adr > 255)
        return Message("Адрес вне допустимого диапазона", "(1...255)");

    if (ConnSettings.Conn_Prz == 1) {
        if (Edit2->text().isEmpty()) return Message(kMsgNotAllParams, "");
        if (!PhoneEntry) return;
        PhoneEntry->contr_adr = uint8_t(adr);
        StoreText(Edit1, PhoneEntry->user_name, sizeof PhoneEntry->user_name);
        StoreText(Edit2, PhoneEntry->phone_code, sizeof PhoneEntry->phone_code);
    } else {
        if (Edit3->text().isEmpty()) return Message(kMsgNotAllParams, "");
        for (QLineEdit* e : {ip4, ip3, ip2, ip1})
            if (e->text().isEmpty()) return Message(kMsgNotAllParams, "");
        uint32_t ip = 0;
        for (QLineEdit* e : {ip4, ip3, ip2, ip1}) {
            int64_t b = 0;
            if (!ParseIntField(e->text().toStdString(), b) || b < 0 || b > 255)
                return Message("Поле IP-адреса вне допустимого диапазона", "(0...255)");
            ip = (ip << 8) | uint32_t(b);
        }
        int64_t port = 0;
        // A port outside the TCP range would silently connect elsewhere.
        if (!ParseIntField(Edit3->text().toStdString(), port) || port < 1 || port > 65535)
            return Message("Порт вне допустимого диапазона", "(1...65535)");
        if (!EthEntry) return;
        EthEntry->contr_adr = uint8_t(adr);
        EthEntry->ip_adr = ip;
        EthEntry->port = uint32_t(port);
        StoreText(Edit1, EthEntry->user_name, sizeof EthEntry->user_name);
    }
    Accepted = 1;
    accept();
}
