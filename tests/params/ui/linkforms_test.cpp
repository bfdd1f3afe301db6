// The link-parameter forms, offscreen: what they show from the table bytes, what they
// refuse with which message, and the exact bytes they write back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/suplfunc.h"
#include "link/tabledir.h"
#include "params/ui/formconeth.h"
#include "params/ui/formconhgc.h"
#include "params/ui/formconvich.h"
#include "params/ui/formconvu.h"
#include "params/ui/formconwmt.h"
#include "params/ui/formcontrname.h"

namespace {

void Type(QWidget* w, const QString& chars) {
    for (QChar c : chars) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

// Replaces the text of an edit (or an editable list) as a user typing it would.
void Retype(QLineEdit* e, const QString& chars) {
    e->clear();
    Type(e, chars);
}

std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); }

// The last box shown, as "kind|line1|line2".
std::string LastBox() {
    auto shown = qvr::ShownQues();
    if (shown.empty()) return "";
    const auto& b = shown.back();
    return std::to_string(b.kind) + "|" + b.text1 + "|" + b.text2;
}

const std::string kNotAll = "2|Введены не все параметры|";
const std::string kOutOfRange = "Параметр вне допустимого диапазона";

class LinkForms : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        qvr::ClearQuesRecord();
        savedConnKind_ = ConnSettings.Conn_Prz;
        savedMultiRate_ = g_TableMemory[11];
    }
    void TearDown() override {
        qvr::ClearQuesRecord();
        ConnSettings.Conn_Prz = savedConnKind_;
        g_TableMemory[11] = savedMultiRate_;
    }
    uint8_t savedConnKind_ = 0, savedMultiRate_ = 0;
};

}  // namespace

// ---------------------------------------------------------------- upper level (table 3)

TEST_F(LinkForms, ConVuShowsTableAndButtonsByMode) {
    uint8_t t[4] = {17, 11, 3, 0};
    TFormConVU f;
    EXPECT_EQ(f.Mode, 0);
    EXPECT_EQ(f.Data, nullptr);
    EXPECT_EQ(f.Accepted, 0);
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(364, 210));
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Параметры связи с верхним уровнем "));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("17"));
    EXPECT_EQ(f.ComboBox1->count(), 254);
    EXPECT_EQ(f.ComboBox2->count(), 22);
    EXPECT_EQ(f.ComboBox2->itemText(0), QStringLiteral("300"));
    EXPECT_EQ(f.ComboBox2->itemText(21), QStringLiteral("230400"));
    EXPECT_EQ(f.ComboBox2->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("3"));
    // File mode: "Принять", no device write button.
    EXPECT_TRUE(f.BitBtn3->isVisible());
    EXPECT_FALSE(f.BitBtn1->isVisible());
    EXPECT_EQ(f.BitBtn3->text(), QStringLiteral("Принять"));
    EXPECT_EQ(f.BitBtn2->text(), QStringLiteral("Отменить"));

    TFormConVU d;
    ConnSettings.Conn_Prz = 0;
    g_TableMemory[11] = 1;
    d.Mode = 1;
    d.Data = t;
    d.show();
    EXPECT_TRUE(d.BitBtn1->isVisible());
    EXPECT_FALSE(d.BitBtn3->isVisible());
    EXPECT_EQ(d.BitBtn1->text(), QStringLiteral("Записать в устройство"));
    EXPECT_TRUE(d.ComboBox2->isEnabled());
}

TEST_F(LinkForms, ConVuAddressPreamblesAndRate) {
    uint8_t t[4] = {1, 11, 3, 7};
    TFormConVU f;
    f.Data = t;
    f.show();
    // The address takes typed digits only.
    Retype(f.ComboBox1->lineEdit(), QStringLiteral("2x5a5"));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("255"));
    f.BitBtn3->click();
    EXPECT_EQ(LastBox(), "2|Адрес должен быть|в диапазоне 1...254");
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(Bytes(t, 4), (std::vector<uint8_t>{1, 11, 3, 7}));
    Retype(f.ComboBox1->lineEdit(), QStringLiteral("0"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Адрес должен быть|в диапазоне 1...254");
    // Preambles are checked before the address.
    Retype(f.Edit1, QStringLiteral("256"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Количество преамбул не должно превышать 255|");
    Retype(f.Edit1, QStringLiteral("2%"));  // the key filter lets '%' through
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Количество преамбул не должно превышать 255|");
    f.Edit1->clear();
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    f.ComboBox1->lineEdit()->clear();
    Retype(f.Edit1, QStringLiteral("255"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(Bytes(t, 4), (std::vector<uint8_t>{1, 11, 3, 7}));

    Retype(f.ComboBox1->lineEdit(), QStringLiteral("254"));
    f.ComboBox2->setCurrentIndex(qvr::BaudToIndex(115200));
    qvr::ClearQuesRecord();
    f.BitBtn3->click();
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(Bytes(t, 4), (std::vector<uint8_t>{254, 20, 255, 0}));
}

TEST_F(LinkForms, ConVuRateNotChangeableOverModemOrSingleRateController) {
    uint8_t t[4] = {5, 11, 3, 0};
    // Device mode over a modem: the rate list is disabled and the rate stays.
    ConnSettings.Conn_Prz = 1;
    g_TableMemory[11] = 1;
    {
        TFormConVU f;
        f.Mode = 1;
        f.Data = t;
        f.show();
        EXPECT_FALSE(f.ComboBox2->isEnabled());
        EXPECT_EQ(f.ComboBox2->currentText(), QStringLiteral("9600"));
        f.ComboBox2->setCurrentIndex(-1);  // even without a rate chosen
        Retype(f.ComboBox1->lineEdit(), QStringLiteral("6"));
        f.BitBtn1->click();
        EXPECT_EQ(f.Accepted, 1);
        EXPECT_EQ(Bytes(t, 4), (std::vector<uint8_t>{6, 11, 3, 0}));
    }
    // A direct line to a controller that works at one rate only.
    ConnSettings.Conn_Prz = 0;
    g_TableMemory[11] = 0;
    {
        TFormConVU f;
        f.Mode = 1;
        f.Data = t;
        f.show();
        EXPECT_FALSE(f.ComboBox2->isEnabled());
    }
    // File mode edits the rate whatever the link is.
    ConnSettings.Conn_Prz = 2;
    {
        TFormConVU f;
        f.Mode = 0;
        f.Data = t;
        f.show();
        EXPECT_TRUE(f.ComboBox2->isEnabled());
        f.ComboBox2->setCurrentIndex(0);
        f.BitBtn1Click();
        EXPECT_EQ(t[1], 0);
    }
}

// The caller's way: modal run, accept through the visible button, bytes read afterwards.
TEST_F(LinkForms, ConVuModalRunAndCancel) {
    uint8_t t[4] = {1, 11, 3, 0};
    ConnSettings.Conn_Prz = 0;
    g_TableMemory[11] = 1;
    {
        TFormConVU f;
        f.Mode = 1;
        f.Data = t;
        QTimer::singleShot(0, [&f] {
            Retype(f.ComboBox1->lineEdit(), QStringLiteral("5"));
            f.BitBtn2->click();
        });
        f.exec();
        EXPECT_EQ(f.Accepted, 0);
        EXPECT_EQ(t[0], 1);
    }
    {
        TFormConVU f;
        f.Mode = 1;
        f.Data = t;
        QTimer::singleShot(0, [&f] {
            Retype(f.ComboBox1->lineEdit(), QStringLiteral("5"));
            f.BitBtn1->click();
        });
        f.exec();
        EXPECT_EQ(f.Accepted, 1);
        EXPECT_EQ(t[0], 5);
    }
}

// ---------------------------------------------------------------- flow computers (table 9)

TEST_F(LinkForms, ConVichShowsAndWrites) {
    uint8_t t[8] = {3, 11, 5, 20, 3, 1, 2, 1};
    TFormConVich f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(440, 482));
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Параметры связи с ВРГ"));
    EXPECT_EQ(f.GroupBox1->title(), QStringLiteral(" Режим записи параметров газа в вычислители "));
    EXPECT_EQ(f.RadioButton1->text(), QStringLiteral("Не записывать"));
    EXPECT_EQ(f.Label5->text(), QStringLiteral("дс"));
    EXPECT_EQ(f.ComboBox1->currentText(), QStringLiteral("3"));
    EXPECT_EQ(f.ComboBox2->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral("5"));
    EXPECT_EQ(f.ComboBox4->currentText(), QStringLiteral("20"));
    EXPECT_EQ(f.ComboBox4->count(), 255);
    EXPECT_EQ(f.ComboBox5->count(), 3);
    EXPECT_EQ(f.ComboBox5->currentText(), QStringLiteral("2"));
    EXPECT_EQ(f.ComboBox6->currentText(), QStringLiteral("1"));
    EXPECT_TRUE(f.RadioButton2->isChecked());
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("3"));

    f.ComboBox2->setCurrentIndex(qvr::BaudToIndex(19200));
    f.ComboBox3->setCurrentIndex(9);
    f.ComboBox4->setCurrentIndex(254);
    f.ComboBox6->setCurrentIndex(2);
    f.RadioButton3->setChecked(true);
    Retype(f.Edit1, QStringLiteral("0"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{3, 15, 10, 255, 0, 2, 2, 3}));
}

TEST_F(LinkForms, ConVichCountStoredAtOnceAndTemperatureSourceRebuilt) {
    uint8_t t[8] = {4, 11, 5, 20, 3, 1, 3, 2};
    TFormConVich f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.ComboBox5->currentText(), QStringLiteral("3"));
    f.ComboBox1->setCurrentIndex(1);  // 2 flow computers
    EXPECT_EQ(t[0], 2);
    ASSERT_EQ(f.ComboBox5->count(), 2);
    EXPECT_EQ(f.ComboBox5->itemText(0), QStringLiteral("0"));
    EXPECT_EQ(f.ComboBox5->itemText(1), QStringLiteral("1"));
    EXPECT_EQ(f.ComboBox5->currentIndex(), -1);  // index 3 is gone: chosen again
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(f.Accepted, 0);
    // A choice still within the new count stays.
    f.ComboBox5->setCurrentIndex(1);
    f.ComboBox1->setCurrentIndex(15);
    EXPECT_EQ(t[0], 16);
    EXPECT_EQ(f.ComboBox5->count(), 16);
    EXPECT_EQ(f.ComboBox5->currentIndex(), 1);
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{16, 11, 5, 20, 3, 1, 1, 2}));
}

// Leaving without accepting puts the number that was there back: nothing else changed.
TEST_F(LinkForms, ConVichCancelRestoresCount) {
    uint8_t t[8] = {4, 11, 5, 20, 3, 1, 0, 1};
    TFormConVich f;
    f.Mode = 1;
    f.Data = t;
    f.show();
    f.ComboBox1->setCurrentIndex(7);
    EXPECT_EQ(t[0], 8);
    f.ComboBox1->setCurrentIndex(8);
    EXPECT_EQ(t[0], 9);
    f.BitBtn2->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{4, 11, 5, 20, 3, 1, 0, 1}));
}

TEST_F(LinkForms, ConVichRefusals) {
    uint8_t t[8] = {2, 11, 5, 20, 3, 3, 0, 1};  // write mode 3: no button checked
    TFormConVich f;
    f.Data = t;
    f.show();
    EXPECT_FALSE(f.RadioButton1->isChecked());
    EXPECT_FALSE(f.RadioButton2->isChecked());
    EXPECT_FALSE(f.RadioButton3->isChecked());
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    f.RadioButton1->setChecked(true);
    Retype(f.Edit1, QStringLiteral("300"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Количество преамбул не должно превышать 255|");
    f.Edit1->clear();
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{2, 11, 5, 20, 3, 3, 0, 1}));
    Retype(f.Edit1, QStringLiteral("255"));
    f.BitBtn1Click();
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{2, 11, 5, 20, 255, 0, 0, 1}));

    // Out-of-range bytes show no selection and must be chosen.
    uint8_t bad[8] = {0, 30, 0, 0, 3, 1, 0, 4};
    TFormConVich g;
    g.Data = bad;
    g.show();
    for (QComboBox* c : {g.ComboBox1, g.ComboBox2, g.ComboBox3, g.ComboBox4, g.ComboBox5, g.ComboBox6})
        EXPECT_EQ(c->currentIndex(), -1) << c->objectName().toStdString();
    EXPECT_EQ(g.ComboBox5->count(), 0);
    g.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(g.Accepted, 0);
}

// ---------------------------------------------------------------- chromatograph (table 14)

TEST_F(LinkForms, ConHgcShowsAndWrites) {
    uint8_t t[8] = {1, 11, 1, 0, 150, 5, 9, 0};
    TFormConHGC f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(510, 356));
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Параметры связи с хроматографом "));
    EXPECT_EQ(f.ComboBox1->count(), 247);
    EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral(" RTU"));
    EXPECT_EQ(f.ComboBox4->itemText(0), QStringLiteral(" Бит четн. отсутствует"));
    EXPECT_EQ(f.ComboBox4->itemText(1), QStringLiteral(" Нечетный бит четности"));
    EXPECT_EQ(f.ComboBox4->itemText(2), QStringLiteral(" Четный бит четности"));
    EXPECT_EQ(f.ComboBox4->currentIndex(), 0);
    EXPECT_EQ(f.ComboBox5->itemText(0), QStringLiteral("5"));
    EXPECT_EQ(f.ComboBox5->currentText(), QStringLiteral("150"));
    EXPECT_EQ(f.Label6->text(), QStringLiteral("сс"));
    EXPECT_EQ(f.ComboBox6->currentText(), QStringLiteral("5"));
    EXPECT_EQ(f.ComboBox7->count(), 1);
    EXPECT_EQ(f.ComboBox7->currentIndex(), 0);

    Retype(f.ComboBox1->lineEdit(), QStringLiteral("248"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Адрес должен быть|в диапазоне 1...247");
    EXPECT_EQ(t[0], 1);
    Retype(f.ComboBox1->lineEdit(), QStringLiteral("247"));
    f.ComboBox2->setCurrentIndex(qvr::BaudToIndex(38400));
    f.ComboBox3->setCurrentIndex(0);
    f.ComboBox4->setCurrentIndex(2);
    f.ComboBox5->setCurrentIndex(0);
    f.ComboBox6->setCurrentIndex(9);
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{247, 18, 0, 2, 5, 10, 9, 0}));
}

TEST_F(LinkForms, ConHgcTypeMustBeChosenAndIsStoredAsNine) {
    uint8_t t[8] = {3, 11, 1, 1, 4, 5, 7, 6};  // time-out 4 and type 7: nothing selected
    TFormConHGC f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.ComboBox7->currentIndex(), -1);
    EXPECT_EQ(f.ComboBox5->currentIndex(), -1);
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    f.ComboBox5->setCurrentIndex(250);
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(f.Accepted, 0);
    f.ComboBox7->setCurrentIndex(0);
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{3, 11, 1, 1, 255, 5, 9, 0}));
}

// ---------------------------------------------------------------- moisture analyser (table 15)

TEST_F(LinkForms, ConWmtShowsChecksAndWrites) {
    uint8_t t[8] = {1, 11, 0, 2, 150, 5, 2, 3};
    TFormConWMT f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(516, 326));
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Параметры связи с влагомером"));
    EXPECT_EQ(f.ComboBox3->currentText(), QStringLiteral(" ASCII"));
    EXPECT_EQ(f.ComboBox4->currentText(), QStringLiteral("150"));
    EXPECT_EQ(f.ComboBox6->count(), 3);
    EXPECT_EQ(f.ComboBox6->currentIndex(), 2);

    Retype(f.ComboBox4->lineEdit(), QStringLiteral("4"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Таймаут должен быть|в диапазоне 5...255");
    Retype(f.ComboBox4->lineEdit(), QStringLiteral("256"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Таймаут должен быть|в диапазоне 5...255");
    // The address is checked first.
    Retype(f.ComboBox1->lineEdit(), QStringLiteral("0"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Адрес должен быть|в диапазоне 1...247");
    f.ComboBox4->lineEdit()->clear();
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{1, 11, 0, 2, 150, 5, 2, 3}));

    Retype(f.ComboBox1->lineEdit(), QStringLiteral("12"));
    Retype(f.ComboBox4->lineEdit(), QStringLiteral("5"));
    f.ComboBox3->setCurrentIndex(1);
    f.ComboBox5->setCurrentIndex(0);
    f.ComboBox6->setCurrentIndex(0);
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    // Parity place and the last byte are written as 0.
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{12, 11, 1, 0, 5, 1, 0, 0}));
}

// Typed with the window active and the list focused, as a user types: the list takes exactly
// the keys typed, so a time-out of 4 is refused, never completed to the first item that
// begins with it (40), and a typed 7 is stored as 7.
TEST_F(LinkForms, ConWmtTypedTimeOutIsTakenAsTyped) {
    uint8_t t[8] = {1, 11, 0, 0, 150, 5, 2, 0};
    TFormConWMT f;
    f.Data = t;
    f.show();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    auto typeInto = [&](QComboBox* c, const char* keys) {
        c->setFocus();
        ASSERT_TRUE(c->hasFocus());
        c->lineEdit()->selectAll();
        QTest::keyClicks(c, keys);
    };
    typeInto(f.ComboBox4, "4");
    EXPECT_EQ(f.ComboBox4->currentText(), QStringLiteral("4"));
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(LastBox(), "2|Таймаут должен быть|в диапазоне 5...255");
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(t[4], 150);

    typeInto(f.ComboBox4, "7");
    QTest::mouseClick(f.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(Bytes(t, 8), (std::vector<uint8_t>{1, 11, 0, 0, 7, 5, 2, 0}));
}

TEST_F(LinkForms, ConWmtUnknownTypeShowsNothing) {
    uint8_t t[8] = {1, 40, 2, 0, 150, 11, 3, 0};
    TFormConWMT f;
    f.Data = t;
    f.show();
    for (QComboBox* c : {f.ComboBox2, f.ComboBox3, f.ComboBox5, f.ComboBox6}) EXPECT_EQ(c->currentIndex(), -1);
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    EXPECT_EQ(f.Accepted, 0);
}

// ---------------------------------------------------------------- Ethernet (table 29)

TEST_F(LinkForms, ConEthShowsBytesAndPortsAndWritesThem) {
    uint8_t t[28] = {192, 168, 0, 10, 255, 255, 255, 0, 192, 168, 0, 1};
    const uint32_t ports[4] = {502, 0x1234, 65535, 0};
    for (int k = 0; k < 4; ++k)
        for (int b = 0; b < 4; ++b) t[12 + 4 * k + b] = uint8_t(ports[k] >> (8 * b));
    TFormConEth f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(394, 374));
    EXPECT_EQ(f.windowTitle(), QStringLiteral(" Параметры связи по Ethernet"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("IP-адрес контроллера"));
    EXPECT_EQ(f.Label2->text(), QStringLiteral("Маска подсети"));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Шлюз по умолчанию"));
    EXPECT_EQ(f.Label7->text(), QStringLiteral("Порт соединения 4"));
    EXPECT_EQ(f.ip1->text(), QStringLiteral("192"));
    EXPECT_EQ(f.ip4->text(), QStringLiteral("10"));
    EXPECT_EQ(f.im4->text(), QStringLiteral("0"));
    EXPECT_EQ(f.is4->text(), QStringLiteral("1"));
    EXPECT_EQ(f.e1->text(), QStringLiteral("502"));
    EXPECT_EQ(f.e2->text(), QStringLiteral("4660"));
    EXPECT_EQ(f.e3->text(), QStringLiteral("65535"));
    EXPECT_EQ(f.ip1->maxLength(), 3);

    // Digits only: not even the '%' of the integer filter.
    Retype(f.ip1, QStringLiteral("1%0a"));
    EXPECT_EQ(f.ip1->text(), QStringLiteral("10"));
    Retype(f.e4, QStringLiteral("8080"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    std::array<uint8_t, 28> expect = {10, 168, 0, 10, 255, 255, 255, 0, 192, 168, 0, 1,
                                      0xF6, 0x01, 0, 0, 0x34, 0x12, 0, 0, 0xFF, 0xFF, 0, 0, 0x90, 0x1F, 0, 0};
    EXPECT_EQ(Bytes(t, 28), std::vector<uint8_t>(expect.begin(), expect.end()));
}

TEST_F(LinkForms, ConEthRefusals) {
    uint8_t t[28] = {};
    TFormConEth f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.ip2->text(), QStringLiteral("0"));  // a new record holds zeros
    f.im3->clear();
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    Retype(f.im3, QStringLiteral("255"));
    f.e2->clear();
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), kNotAll);
    Retype(f.e2, QStringLiteral("1"));
    // An octet above 255 is refused, not cut to its low byte.
    Retype(f.is2, QStringLiteral("256"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Шлюз по умолчанию|" + kOutOfRange);
    Retype(f.is2, QStringLiteral("0"));
    Retype(f.e3, QStringLiteral("65536"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Порт соединения 3|" + kOutOfRange);
    EXPECT_EQ(Bytes(t, 28), std::vector<uint8_t>(28, 0));
    EXPECT_EQ(f.Accepted, 0);
    Retype(f.e3, QStringLiteral("0"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(t[6], 255);  // mask byte 3
    EXPECT_EQ(t[16], 1);
}

// ---------------------------------------------------------------- controller name (table 5)

TEST_F(LinkForms, ContrNameTrimsShowsAndPads) {
    uint8_t t[20];
    const std::string stored = "  \xca\xd2-1 north" + std::string(8, ' ');  // "КТ-1 north" in Windows-1251
    ASSERT_EQ(stored.size(), 20u);
    std::memcpy(t, stored.data(), 20);
    TFormContrName f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.size(), QSize(364, 144));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Наименование контроллера"));
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Записать в устройство"));
    EXPECT_EQ(f.BitBtn2->text(), QStringLiteral("Отменить"));
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("КТ-1 north"));
    EXPECT_EQ(f.Edit1->maxLength(), 20);

    f.Edit1->setText(QStringLiteral("Узел ∑"));  // not in Windows-1251
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(LastBox(), "2|Введен символ, недопустимый в контроллере|Повторите ввод");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(t), 20), stored);

    f.Edit1->setText(QStringLiteral("Узел 5"));
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(t), 20), "\xd3\xe7\xe5\xeb 5" + std::string(14, ' '));
}

TEST_F(LinkForms, ContrNameZerosEndTheNameAndCancelKeepsBytes) {
    uint8_t t[20] = {'A', 'B', 0, 0};
    TFormContrName f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("AB"));
    f.Edit1->setText(QStringLiteral("XYZ"));
    f.BitBtn2->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(t[0], 'A');
    EXPECT_EQ(t[3], 0);
}
