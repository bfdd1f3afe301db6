#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "common/ui/keyfilters.h"

namespace {
void Type(QLineEdit& e, const QString& chars) {
    for (QChar c : chars) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&e, &press);
    }
}
void Press(QLineEdit& e, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(&e, &press);
}
}  // namespace

TEST(KeyFilters, IntegerFieldTakesDigitsOnly) {
    QLineEdit e;
    qvr::InstallDigitKeyFilter(&e);
    Type(e, QStringLiteral("1a2-3.4 5Ж%'"));
    EXPECT_EQ(e.text(), QStringLiteral("12345%'"));
    Press(e, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
    EXPECT_EQ(e.text(), QStringLiteral("12345%"));
    Press(e, Qt::Key_Home);
    Type(e, QStringLiteral("9"));
    EXPECT_EQ(e.text(), QStringLiteral("912345%"));
}

TEST(KeyFilters, FloatFieldRulesAndCommaBecomesPoint) {
    QLineEdit e;
    qvr::InstallFloatKeyFilter(&e, 8);
    Type(e, QStringLiteral("e-1,5,e--123x"));
    // 'e' refused in an empty field, '-' at the start passes, one separator, one 'e' at the
    // end, one exponent sign, two exponent digits.
    EXPECT_EQ(e.text(), QStringLiteral("-1.5e-12"));
    Press(e, Qt::Key_Home);
    Type(e, QStringLiteral("-"));
    EXPECT_EQ(e.text(), QStringLiteral("-1.5e-12"));  // already negative
    Press(e, Qt::Key_Right);
    Type(e, QStringLiteral("7"));
    EXPECT_EQ(e.text(), QStringLiteral("-71.5e-12"));
}

TEST(KeyFilters, ShortcutsAndNavigationPass) {
    QLineEdit e;
    qvr::InstallFloatKeyFilter(&e, 8);
    Type(e, QStringLiteral("12"));
    Press(e, Qt::Key_A, Qt::ControlModifier, QStringLiteral("\x01"));  // select all
    EXPECT_EQ(e.selectedText(), QStringLiteral("12"));
    Press(e, Qt::Key_Delete);
    EXPECT_EQ(e.text(), QString());
}
