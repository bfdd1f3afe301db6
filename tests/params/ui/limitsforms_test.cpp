// The gas-parameter limit and write-flag forms, offscreen: rows and captions by table, the
// range refusals with their texts, values stored up to a refusal, the untouched oxygen row,
// and the platform message of the flag form.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "common/question.h"
#include "common/stringi.h"
#include "params/gaslimits.h"
#include "params/ui/formlimits.h"

namespace {

std::string LastBox() {
    auto shown = qvr::ShownQues();
    if (shown.empty()) return "";
    const auto& b = shown.back();
    return std::to_string(b.kind) + "|" + b.text1 + "|" + b.text2;
}

void Type(QWidget* w, const QString& chars) {
    for (QChar c : chars) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

// Replaces an edit's whole text as the user does: selects it, deletes it, types the new one.
void Retype(QLineEdit* e, const char* text) {
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
    QTest::keyClicks(e, QString::fromUtf8(text));
}

// 20 floats of a table, filled with the defaults of its descriptors.
struct Table {
    uint8_t bytes[80];
    explicit Table(int kind) {
        for (int i = 0; i < 20; ++i) qvr::PutF32(bytes + 4 * i, GasParamLimitTables[kind][i].def);
    }
    float At(int i) const { return qvr::GetF32(bytes + 4 * i); }
    std::vector<float> All() const {
        std::vector<float> v;
        for (int i = 0; i < 20; ++i) v.push_back(At(i));
        return v;
    }
};

const char* const kRangeHint = "Вводите значения согласно допустимому диапазону";

class LimitsForms : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::InitStringTable();
        qvr::ClearQuesRecord();
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
};

}  // namespace

TEST_F(LimitsForms, CaptionsRowsAndOxygenByTable) {
    const char* captions[5] = {
        "Параметры газа. Зона нечувствительности изменений",
        "Нижняя предупредительная уставка параметра газа",
        "Верхняя предупредительная уставка параметра газа",
        "Нижний предел знач. парам. газа, допускаемого к записи в ВРГ",
        "Верхний предел знач. парам. газа, допускаемого к записи в ВРГ",
    };
    for (int kind = 0; kind < 5; ++kind) {
        Table t(kind);
        TFormLimits f;
        f.LimitKind = uint8_t(kind);
        f.Mode = kind == 0 ? 1 : 0;
        f.Data = t.bytes;
        f.show();
        EXPECT_EQ(f.windowTitle().toStdString(), captions[kind]);
        EXPECT_EQ(f.size(), QSize(550, 530));
        EXPECT_EQ(f.BitBtn1->isVisible(), kind == 0);
        EXPECT_EQ(f.BitBtn3->isVisible(), kind != 0);
        EXPECT_EQ(f.NameLabel[1]->text(), QStringLiteral(" Молярная доля пропана"));
        EXPECT_FALSE(f.Edit[17]->isEnabled());
        EXPECT_FALSE(f.NameLabel[17]->isEnabled());
        EXPECT_TRUE(f.Edit[17]->text().isEmpty());
        EXPECT_TRUE(f.RangeLabel[17]->text().isEmpty());
        EXPECT_TRUE(f.Edit[16]->isEnabled());
    }
    Table t(0);
    TFormLimits f;
    f.LimitKind = 0;
    f.Data = t.bytes;
    f.show();
    EXPECT_EQ(f.RangeLabel[1]->text(), QStringLiteral(" 0.0001 - 0.5000"));
    EXPECT_EQ(f.Edit[1]->text(), QStringLiteral("0.0500"));
    EXPECT_EQ(f.UnitLabel[1]->text(), QStringLiteral("%"));
    EXPECT_EQ(f.RangeLabel[16]->text(), QStringLiteral(" -40.00 - 100.00"));
    EXPECT_EQ(f.Edit[16]->text(), QStringLiteral("18.00"));
    EXPECT_EQ(f.UnitLabel[16]->text(), QStringLiteral("°С"));
    EXPECT_EQ(f.UnitLabel[11]->text(), QStringLiteral("МДж/м3"));
    EXPECT_EQ(f.RangeLabel[15]->text(), QStringLiteral(" 0.0 - 100.0"));
    Table u(2);
    TFormLimits g;
    g.LimitKind = 2;
    g.Data = u.bytes;
    g.show();
    EXPECT_EQ(g.RangeLabel[11]->text(), QStringLiteral(" 35 - 45"));
    EXPECT_EQ(g.Edit[11]->text(), QStringLiteral("45"));
    EXPECT_EQ(g.UnitLabel[11]->text(), QStringLiteral("МДж/м"));
    EXPECT_EQ(g.RangeLabel[14]->text(), QStringLiteral(" 0.9970 - 1.0000"));
}

// Values inside the tolerance are taken; the first value outside stops the check with the
// parameter's name, earlier values already stored, Accepted 0, the form open.
TEST_F(LimitsForms, DeadBandToleranceAndPartialStore) {
    Table t(0);
    const float oxygen = 0.0375f;
    qvr::PutF32(t.bytes + 4 * 17, oxygen);
    TFormLimits f;
    f.LimitKind = 0;
    f.Data = t.bytes;
    f.show();
    Retype(f.Edit[0], "0.02");
    Retype(f.Edit[1], "0.50002");
    Retype(f.Edit[12], "0.001");
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(LastBox(), std::string("2|Параметр \" Молярная доля пропана \".|") + kRangeHint);
    EXPECT_FLOAT_EQ(t.At(0), 0.02f);   // before the refused one: stored
    EXPECT_FLOAT_EQ(t.At(1), 0.05f);   // refused: unchanged
    EXPECT_FLOAT_EQ(t.At(12), 0.0001f);  // after it: not reached

    Retype(f.Edit[1], "0.500005");
    Retype(f.Edit[12], "0.0011");
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), std::string("2|Параметр \" Абсолютная плотность \".|") + kRangeHint);
    EXPECT_FLOAT_EQ(t.At(1), 0.500005f);

    Retype(f.Edit[12], "0.001");
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_FLOAT_EQ(t.At(12), 0.001f);
    uint32_t bits;
    std::memcpy(&bits, &oxygen, 4);
    EXPECT_EQ(qvr::GetU32(t.bytes + 4 * 17), bits);  // oxygen untouched
}

TEST_F(LimitsForms, SetPointRefusalsEmptyAndNonNumbers) {
    Table t(1);
    TFormLimits f;
    f.LimitKind = 1;
    f.Mode = 1;
    f.Data = t.bytes;
    f.show();
    Retype(f.Edit[8], "39.9");
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), std::string("2|Параметр \" Молярная доля метана \".|") + kRangeHint);
    Retype(f.Edit[8], "40");
    Retype(f.Edit[5], "");
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), "2|Введены не все параметры|");
    EXPECT_FLOAT_EQ(t.At(8), 95.0f);  // the empty field stops everything before any store
    Retype(f.Edit[5], "-");
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), std::string("2|Параметр \" Молярная доля i-пентана \".|") + kRangeHint);
    Retype(f.Edit[5], "1e");  // the filter takes an 'e' only behind a digit
    QTest::keyClick(f.Edit[5], Qt::Key_Home);
    QTest::keyClick(f.Edit[5], Qt::Key_Delete);
    ASSERT_EQ(f.Edit[5]->text(), QStringLiteral("e"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), std::string("2|Параметр \" Молярная доля i-пентана \".|") + kRangeHint);
    EXPECT_EQ(f.Accepted, 0);
    Retype(f.Edit[5], "1,2");
    f.BitBtn1Click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_FLOAT_EQ(t.At(5), 1.2f);
    EXPECT_FLOAT_EQ(t.At(8), 40.0f);
}

// A value the controller holds outside the range, or no number at all, is shown and must be
// corrected before the form accepts.
TEST_F(LimitsForms, StoredGarbageIsShownAndRefused) {
    Table t(3);
    const uint32_t nanBits = 0x7FC00000;
    qvr::PutU32(t.bytes + 4 * 2, nanBits);
    qvr::PutF32(t.bytes + 4 * 16, 1099511627776.0f);  // 2^40
    TFormLimits f;
    f.LimitKind = 3;
    f.Data = t.bytes;
    f.show();
    EXPECT_EQ(f.Edit[2]->text(), QStringLiteral("NAN"));
    EXPECT_EQ(f.Edit[16]->text(), QStringLiteral("1.099511628E+12"));
    f.BitBtn1Click();
    EXPECT_EQ(LastBox(), std::string("2|Параметр \" Молярная доля i-бутана \".|") + kRangeHint);
    EXPECT_EQ(qvr::GetU32(t.bytes + 4 * 2), nanBits);
}

// Typing goes through the float filter (at most 8 characters); leaving the edit shows the
// number with the parameter's decimals. A row the user typed in is stored even when it
// reads as it did when shown: "40" over a stored 40.4 shown as "40", "36.0" over 35.5
// shown as "36" (and shown so again on leaving); rows left alone keep their exact floats.
// Device mode: the table image the write is made from; file mode: the record's table.
TEST_F(LimitsForms, TypingLeavingAndStoringTypedRows) {
    Table t(0);
    TFormLimits f;
    f.LimitKind = 0;
    f.Data = t.bytes;
    f.show();
    f.activateWindow();
    f.Edit[7]->setFocus();
    f.Edit[7]->clear();
    Type(f.Edit[7], QStringLiteral("1x,25e-1234"));
    EXPECT_EQ(f.Edit[7]->text(), QStringLiteral("1.25e-12"));
    f.Edit[7]->setText(QStringLiteral("2,5"));
    emit f.Edit[7]->editingFinished();
    EXPECT_EQ(f.Edit[7]->text(), QStringLiteral("2.5000"));
    f.Edit[16]->setText(QStringLiteral("-5"));
    emit f.Edit[16]->editingFinished();
    EXPECT_EQ(f.Edit[16]->text(), QStringLiteral("-5.00"));
    f.Edit[16]->setText(QStringLiteral("-"));
    emit f.Edit[16]->editingFinished();
    EXPECT_EQ(f.Edit[16]->text(), QStringLiteral("-"));  // not a number: left for the user
    f.close();

    for (uint8_t mode : {1, 0}) {
        SCOPED_TRACE(mode);
        Table t3(3);
        qvr::PutF32(t3.bytes + 4 * 13, 40.4f);   // Wobbe index, no decimals
        qvr::PutF32(t3.bytes + 4 * 11, 35.5f);   // higher heat, no decimals
        qvr::PutF32(t3.bytes + 4 * 18, 30.25f);  // lower heat, left alone
        Table expected = t3;
        qvr::PutF32(expected.bytes + 4 * 13, 40.0f);
        qvr::PutF32(expected.bytes + 4 * 11, 36.0f);
        TFormLimits g;
        g.LimitKind = 3;
        g.Mode = mode;
        g.Data = t3.bytes;
        g.show();
        g.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
        ASSERT_EQ(g.Edit[13]->text(), QStringLiteral("40"));
        ASSERT_EQ(g.Edit[11]->text(), QStringLiteral("36"));
        QTest::mouseClick(g.Edit[13], Qt::LeftButton);
        Retype(g.Edit[13], "40");
        QTest::keyClick(g.Edit[13], Qt::Key_Tab);
        QTest::mouseClick(g.Edit[11], Qt::LeftButton);
        Retype(g.Edit[11], "36.0");
        QTest::keyClick(g.Edit[11], Qt::Key_Tab);
        EXPECT_EQ(g.Edit[11]->text(), QStringLiteral("36"));
        QTest::mouseClick(mode ? g.BitBtn1 : g.BitBtn3, Qt::LeftButton);
        EXPECT_EQ(g.Accepted, 1);
        EXPECT_EQ(t3.All(), expected.All());
    }
}

TEST_F(LimitsForms, CancelStoresNothing) {
    Table t(4);
    Table before(4);
    TFormLimits f;
    f.LimitKind = 4;
    f.Data = t.bytes;
    f.show();
    f.Edit[0]->setText(QStringLiteral("0.1"));
    f.BitBtn2->click();
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_EQ(std::memcmp(t.bytes, before.bytes, 80), 0);
}

// ---------------------------------------------------------------- write flags

TEST_F(LimitsForms, FlagsShowWriteAndKeepOxygen) {
    uint8_t t[20] = {};
    t[7] = 1;
    t[17] = 1;
    TFormPrzDistr f;
    f.Mode = 1;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Необходимость записи  значений параметров газа в ВРГ "));
    EXPECT_EQ(f.size(), QSize(468, 530));
    EXPECT_TRUE(f.BitBtn1->isVisible());
    EXPECT_EQ(f.ComboBox[0]->itemText(0), QStringLiteral(" Не записывать "));
    EXPECT_EQ(f.ComboBox[0]->itemText(1), QStringLiteral(" Записывать"));
    EXPECT_EQ(f.ComboBox[7]->currentIndex(), 1);
    EXPECT_EQ(f.ComboBox[8]->currentIndex(), 0);
    EXPECT_FALSE(f.ComboBox[17]->isEnabled());
    EXPECT_EQ(f.NameLabel[19]->text(), QStringLiteral(" Относительная плотность"));
    f.ComboBox[7]->setCurrentIndex(0);
    f.ComboBox[12]->setCurrentIndex(1);
    f.ComboBox[17]->setCurrentIndex(0);  // disabled for the user; even so, never written
    f.BitBtn1->click();
    EXPECT_EQ(f.Accepted, 1);
    std::vector<uint8_t> expect(20, 0);
    expect[12] = 1;
    expect[17] = 1;
    EXPECT_EQ(std::vector<uint8_t>(t, t + 20), expect);
}

TEST_F(LimitsForms, FlagsMissingChoiceGivesPlatformMessage) {
    uint8_t t[20] = {};
    t[3] = 2;  // not a flag: shows no choice
    t[17] = 7;  // oxygen's odd value needs no choice and is kept
    TFormPrzDistr f;
    f.Data = t;
    f.show();
    EXPECT_EQ(f.ComboBox[3]->currentIndex(), -1);
    QString title, text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        box->accept();
    });
    f.BitBtn3->click();
    EXPECT_EQ(title, QStringLiteral("Ошибка"));
    EXPECT_EQ(text, QStringLiteral("Введены не все параметры"));
    EXPECT_EQ(f.Accepted, 0);
    EXPECT_TRUE(qvr::ShownQues().empty());
    EXPECT_EQ(t[3], 2);
    f.ComboBox[3]->setCurrentIndex(1);
    f.BitBtn3->click();
    EXPECT_EQ(f.Accepted, 1);
    EXPECT_EQ(t[3], 1);
    EXPECT_EQ(t[17], 7);
}
