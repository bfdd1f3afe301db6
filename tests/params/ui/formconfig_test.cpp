// The configuration editor offscreen: caption and name field against the record bytes, the
// buttons by mode and by the record's moisture analyser, every table form opened in file
// mode on its own area of the record, the flow-computer count and users copied back only
// when accepted, the change test, and the editor as the file commands' editor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/codepage.h"
#include "common/globals.h"
#include "common/question.h"
#include "params/configfile.h"
#include "params/ui/cnfcommands.h"
#include "params/ui/formaccess.h"
#include "params/ui/formconeth.h"
#include "params/ui/formconfig.h"
#include "params/ui/formconhgc.h"
#include "params/ui/formconvich.h"
#include "params/ui/formconvu.h"
#include "params/ui/formconwmt.h"
#include "params/ui/formdistr.h"
#include "params/ui/formfloulist.h"
#include "params/ui/formident.h"
#include "params/ui/formlimits.h"
#include "params/ui/formsys.h"
#include "support/tempdir.h"

namespace {

// Types text into a widget key by key, as a user would (any characters).
void Type(QWidget* w, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
    }
}

// Runs `act` on the next modal dialog of class T once it is up; a dialog of another class
// is rejected (and counted) so that a wrong form cannot hang the test.
template <class T>
void WhenModal(std::function<void(T&)> act, int* wrong = nullptr) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, wrong] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || !w->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        if (auto* f = qobject_cast<T*>(w)) {
            act(*f);
        } else if (auto* d = qobject_cast<QDialog*>(w)) {
            if (wrong) ++*wrong;
            d->reject();
        }
    });
    timer->start();
}

// Shows the editor modally on rec; `inside` runs once it is up and must close it.
qvr::ConfigEditorOutcome RunEditor(ConfigRecord& rec, uint8_t restore, TableStateBuffer* state,
                                   std::function<void(TFormConfig&)> inside) {
    WhenModal<TFormConfig>(std::move(inside));
    return qvr::EditConfigRecord(nullptr, &rec, restore, state);
}

// Clicks the editor's button and checks, while the child is up, that it is a Form and that
// the editor's panel is darkened; the probe checks the child, which is then cancelled.
template <class Form>
void ExpectChild(TFormConfig& f, QPushButton* button, std::function<void(Form&)> probe, int& wrong) {
    bool seen = false;
    WhenModal<Form>(
        [&](Form& child) {
            seen = true;
            EXPECT_EQ(f.PanelColor(), 0xB5B5B5u);
            EXPECT_EQ(child.parentWidget(), &f);
            probe(child);
            child.reject();
        },
        &wrong);
    button->click();
    EXPECT_TRUE(seen) << button->objectName().toStdString();
    EXPECT_EQ(f.PanelColor(), 0xD3D3D3u);
}

std::string NameBytes(const ConfigRecord& rec) {
    return std::string(reinterpret_cast<const char*>(rec.bytes + cfgrec::kName), cfgrec::kNameSize);
}

class FormConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        qvr::ClearQuesRecord();
        NewConfigRecord(&rec);
        const std::string name = qvr::Win("  ГРС-5 ");
        std::memset(rec.bytes + cfgrec::kName, ' ', cfgrec::kNameSize);
        std::memcpy(rec.bytes + cfgrec::kName, name.data(), name.size());
    }
    void TearDown() override { qvr::ClearQuesRecord(); }
    ConfigRecord rec;
};

TEST_F(FormConfigTest, ShowsNameCaptionAndTheButtonsOfFileMode) {
    rec.bytes[cfgrec::kTable6 + 8] = 0;  // no moisture analyser
    TFormConfig f;
    EXPECT_EQ(f.Record, nullptr);
    EXPECT_EQ(f.Accepted, 0);
    f.Record = &rec;
    f.show();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры конфигурации контроллера \"ГРС-5\" "));
    EXPECT_EQ(f.size(), QSize(760, 482));
    EXPECT_EQ(f.Edit1->text(), QStringLiteral("ГРС-5"));
    EXPECT_EQ(f.Edit1->maxLength(), 20);
    EXPECT_TRUE(f.BitBtn1->isVisible());
    EXPECT_FALSE(f.BitBtn14->isVisible());
    EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Принять"));
    EXPECT_EQ(f.BitBtn2->text(), QStringLiteral("Отменить"));
    EXPECT_FALSE(f.BitBtn13->isEnabled());
    EXPECT_FALSE(f.LabelWMT->isEnabled());
    EXPECT_TRUE(f.BitBtn15->isEnabled());
    EXPECT_EQ(f.GroupUsers->title(), QStringLiteral(" Доступ пользователей  к записи в контроллер "));
    EXPECT_EQ(f.LabelVich->text(), QStringLiteral("С  вычислителями расхода газа"));
    EXPECT_EQ(f.PanelColor(), 0xD3D3D3u);
    // Filling the name field when shown changes nothing in the record.
    EXPECT_EQ(NameBytes(rec), qvr::Win("  ГРС-5             "));
    f.close();

    rec.bytes[cfgrec::kTable6 + 8] = 1;
    TFormConfig g;
    g.Record = &rec;
    g.show();
    EXPECT_TRUE(g.BitBtn13->isEnabled());
    EXPECT_TRUE(g.LabelWMT->isEnabled());
}

TEST_F(FormConfigTest, RestoreModeShowsTheDeviceButtonAndLocksUsersNotBeingWritten) {
    TableStateBuffer state{};
    state.toWrite[6] = 1;
    {
        TFormConfig f;
        f.Record = &rec;
        f.RestoreMode = 1;
        f.TableState = &state;
        f.show();
        EXPECT_FALSE(f.BitBtn1->isVisible());
        EXPECT_TRUE(f.BitBtn14->isVisible());
        EXPECT_EQ(f.BitBtn14->text(), QStringLiteral("Записать в устройство"));
        EXPECT_FALSE(f.GroupUsers->isEnabled());
        EXPECT_FALSE(f.LabelUsers->isEnabled());
        EXPECT_FALSE(f.BitBtn15->isEnabled());
    }
    state.toWrite[4] = 1;
    {
        TFormConfig f;
        f.Record = &rec;
        f.RestoreMode = 1;
        f.TableState = &state;
        f.show();
        EXPECT_TRUE(f.BitBtn15->isEnabled());
    }
    // "Записать в устройство" accepts like "Принять".
    const auto out = RunEditor(rec, 1, &state, [](TFormConfig& f) { f.BitBtn14->click(); });
    EXPECT_TRUE(out.accepted);
    EXPECT_FALSE(out.changed);
}

TEST_F(FormConfigTest, TypedNameGoesIntoTheRecordBlankPaddedAndMarksTheChange) {
    // Typed text longer than the field stops at 20 characters; Cyrillic goes in as
    // Windows-1251.
    auto out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        f.Edit1->selectAll();
        Type(f.Edit1, QStringLiteral("Узел учета газа № 12345"));
        EXPECT_EQ(f.Edit1->text().size(), 20);
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры конфигурации контроллера \"Узел учета газа № 12\" "));
        f.BitBtn1->click();
    });
    EXPECT_TRUE(out.accepted);
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(NameBytes(rec), qvr::Win("Узел учета газа № 12"));

    // Cleared: 20 blanks.
    out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        f.Edit1->selectAll();
        QTest::keyClick(f.Edit1, Qt::Key_Delete);
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Параметры конфигурации контроллера \"\" "));
        f.BitBtn1->click();
    });
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(NameBytes(rec), std::string(20, ' '));

    // Typed back to what it was: no change. Cancelled: not accepted, whatever was typed.
    const ConfigRecord before = rec;
    out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        Type(f.Edit1, QStringLiteral("X"));
        QTest::keyClick(f.Edit1, Qt::Key_Backspace);
        f.BitBtn1->click();
    });
    EXPECT_TRUE(out.accepted);
    EXPECT_FALSE(out.changed);
    out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        Type(f.Edit1, QStringLiteral("Y"));
        f.BitBtn2->click();
    });
    EXPECT_FALSE(out.accepted);
    EXPECT_FALSE(out.changed);
    EXPECT_NE(std::memcmp(rec.bytes, before.bytes, cfgrec::kSize), 0) << "the caller ignores a cancelled record";
}

// Every table button opens its form in file mode on its area of the record, with the panel
// darkened while it is open.
TEST_F(FormConfigTest, EachButtonOpensItsFormOnItsAreaOfTheRecord) {
    rec.bytes[cfgrec::kTable6 + 8] = 1;
    rec.bytes[cfgrec::kOrigin] = 1;
    TFormConfig f;
    f.Record = &rec;
    f.show();
    int wrong = 0;
    const uint8_t* b = rec.bytes;
    ExpectChild<TFormIdent>(f, f.BitBtn24, [&](TFormIdent& c) {
        EXPECT_EQ(c.Data, b + 1);
        EXPECT_EQ(c.Mode, 1);
    }, wrong);
    ExpectChild<TFormConVich>(f, f.BitBtn12, [&](TFormConVich& c) { EXPECT_EQ(c.Data, b + 2393); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormConVU>(f, f.BitBtn16, [&](TFormConVU& c) { EXPECT_EQ(c.Data, b + 69); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormConHGC>(f, f.BitBtn17, [&](TFormConHGC& c) { EXPECT_EQ(c.Data, b + 283); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormConWMT>(f, f.BitBtn13, [&](TFormConWMT& c) { EXPECT_EQ(c.Data, b + 341); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormConEth>(f, f.BitBtn18, [&](TFormConEth& c) { EXPECT_EQ(c.Data, b + 2345); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormSys>(f, f.BitBtn6, [&](TFormSys& c) { EXPECT_EQ(c.Data, b + 173); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormFlouList>(f, f.BitBtn3, [&](TFormFlouList& c) {
        EXPECT_EQ(c.Entries, b + 399);
        EXPECT_EQ(c.Mode, 0);
        EXPECT_EQ(c.Count, b[2393]);
    }, wrong);
    ExpectChild<TFormPrzDistr>(f, f.BitBtn4, [&](TFormPrzDistr& c) { EXPECT_EQ(c.Data, b + 819); EXPECT_EQ(c.Mode, 0); }, wrong);
    ExpectChild<TFormDistr>(f, f.BitBtn5, [&](TFormDistr& c) { EXPECT_EQ(c.Data, b + 1839); EXPECT_EQ(c.Mode, 0); }, wrong);
    const std::pair<QPushButton*, size_t> limits[] = {
        {f.BitBtn7, 939}, {f.BitBtn8, 1119}, {f.BitBtn9, 1299}, {f.BitBtn10, 1479}, {f.BitBtn11, 1659}};
    for (int k = 0; k < 5; ++k)
        ExpectChild<TFormLimits>(f, limits[k].first, [&](TFormLimits& c) {
            EXPECT_EQ(c.Data, b + limits[k].second);
            EXPECT_EQ(c.LimitKind, k);
            EXPECT_EQ(c.Mode, 0);
        }, wrong);
    ExpectChild<TFormAccess>(f, f.BitBtn15, [&](TFormAccess& c) {
        EXPECT_EQ(c.DeviceMode, 0);
        ASSERT_NE(c.Users, nullptr);
        EXPECT_EQ(std::memcmp(c.Users[0].name, b + 1941, 4), 0);
    }, wrong);
    EXPECT_EQ(wrong, 0);
    // A new record shows its identification as such.
    rec.bytes[cfgrec::kOrigin] = 0;
    ExpectChild<TFormIdent>(f, f.BitBtn24, [&](TFormIdent& c) { EXPECT_EQ(c.Mode, 0); }, wrong);
}

TEST_F(FormConfigTest, ChildFormsOpenedAndLeftWithoutChangesLeaveTheRecordUnchanged) {
    const auto out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        WhenModal<TFormLimits>([](TFormLimits& c) { c.BitBtn2->click(); });
        f.BitBtn9->click();
        WhenModal<TFormDistr>([](TFormDistr& c) { c.BitBtn3->click(); });  // "Принять", nothing changed
        f.BitBtn5->click();
        WhenModal<TFormSys>([](TFormSys& c) { c.BitBtn3->click(); });
        f.BitBtn6->click();
        f.BitBtn1->click();
    });
    EXPECT_TRUE(out.accepted);
    EXPECT_FALSE(out.changed);
}

TEST_F(FormConfigTest, SwitchingTheMoistureAnalyserOnEnablesItsLinkAtOnce) {
    rec.bytes[cfgrec::kTable6 + 8] = 0;
    bool enabledAfter = false;
    const auto out = RunEditor(rec, 0, nullptr, [&](TFormConfig& f) {
        EXPECT_FALSE(f.BitBtn13->isEnabled());
        WhenModal<TFormSys>([](TFormSys& c) {
            c.CheckBox2->setChecked(true);
            c.BitBtn3->click();
        });
        f.BitBtn6->click();
        enabledAfter = f.BitBtn13->isEnabled() && f.LabelWMT->isEnabled();
        f.BitBtn1->click();
    });
    EXPECT_TRUE(enabledAfter);
    EXPECT_EQ(rec.bytes[181], 1);
    EXPECT_TRUE(out.changed);
}

TEST_F(FormConfigTest, FlowComputerCountIsTakenBackOnlyWhenTheListIsAccepted) {
    // Two flow computers in the record.
    for (int i = 0; i < 2; ++i) {
        uint8_t* e = rec.bytes + cfgrec::FlowComputerEntry(size_t(i));
        e[cfgrec::kFcAddress] = uint8_t(10 + i);
        e[cfgrec::kFcType] = 0;
        e[cfgrec::kFcPipelines] = 1;
        e[cfgrec::kFcByteOrder] = 0;
    }
    rec.bytes[cfgrec::kFlowComputerNumber] = 2;
    const ConfigRecord before = rec;

    // Row deleted, then cancelled: the record keeps both.
    auto out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        WhenModal<TFormFlouList>([](TFormFlouList& l) {
            EXPECT_EQ(l.StringGrid1->rowCount(), 2);
            l.StringGrid1->selectRow(0);
            qvr::QueueQuesAnswers({1});
            l.BitBtn5Click();
            l.BitBtn2Click();
        });
        f.BitBtn3->click();
        f.BitBtn1->click();
    });
    EXPECT_FALSE(out.changed);
    EXPECT_EQ(std::memcmp(rec.bytes, before.bytes, cfgrec::kSize), 0);

    // Accepted: one row left, the second moved up, the count follows.
    out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        WhenModal<TFormFlouList>([](TFormFlouList& l) {
            l.StringGrid1->selectRow(0);
            qvr::QueueQuesAnswers({1});
            l.BitBtn5Click();
            l.BitBtn1Click();
        });
        f.BitBtn3->click();
        f.BitBtn1->click();
    });
    EXPECT_TRUE(out.changed);
    EXPECT_EQ(rec.bytes[2393], 1);
    EXPECT_EQ(rec.bytes[cfgrec::FlowComputerEntry(0) + cfgrec::kFcAddress], 11);

    // A damaged count is shown as the 16 rows the record holds.
    rec.bytes[2393] = 200;
    uint8_t shown = 0;
    RunEditor(rec, 0, nullptr, [&](TFormConfig& f) {
        WhenModal<TFormFlouList>([&](TFormFlouList& l) {
            shown = l.Count;
            l.BitBtn2Click();
        });
        f.BitBtn3->click();
        f.BitBtn2->click();
    });
    EXPECT_EQ(shown, 16);
}

TEST_F(FormConfigTest, UsersAreCopiedBackOnlyWhenAccepted) {
    uint8_t* u = rec.bytes + cfgrec::UserEntry(0);
    std::memcpy(u, "ADM ", 4);
    u[cfgrec::kUserLevel] = 1;
    std::memcpy(u + cfgrec::kUserPassword, "111111      ", 12);
    std::memcpy(u + cfgrec::kUserCode, "1111", 4);
    const ConfigRecord before = rec;
    auto out = RunEditor(rec, 0, nullptr, [](TFormConfig& f) {
        WhenModal<TFormAccess>([](TFormAccess& a) {
            a.ek[0]->setText(QStringLiteral("XYZ"));
            a.BitBtn2->click();
        });
        f.BitBtn15->click();
        f.BitBtn1->click();
    });
    EXPECT_FALSE(out.changed);
    EXPECT_EQ(std::memcmp(rec.bytes, before.bytes, cfgrec::kSize), 0);
}

TEST_F(FormConfigTest, FileCommandsUseTheEditorOnceInstalled) {
    TempDir tmp;
    const std::string savedDir = g_ProgDir;
    g_ProgDir = tmp.dir();
    std::vector<qvr::CnfDialogRequest> asked;
    qvr::SetCnfDialogHook([&](const qvr::CnfDialogRequest& r) {
        asked.push_back(r);
        return QString();  // cancel
    });
    qvr::InstallConfigEditor();

    // A new record: accepted without changes is offered for saving all the same.
    bool editorShown = false;
    WhenModal<TFormConfig>([&](TFormConfig& f) {
        editorShown = true;
        EXPECT_EQ(f.RestoreMode, 0);
        EXPECT_TRUE(f.BitBtn1->isVisible());
        f.BitBtn1->click();
    });
    qvr::NParCnfClick(nullptr, 0);
    EXPECT_TRUE(editorShown);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_TRUE(asked[0].save);

    // Cancelled: no save dialog.
    asked.clear();
    WhenModal<TFormConfig>([](TFormConfig& f) { f.BitBtn2->click(); });
    qvr::NParCnfClick(nullptr, 0);
    EXPECT_TRUE(asked.empty());

    qvr::SetConfigEditor(nullptr);
    qvr::SetCnfDialogHook(nullptr);
    g_ProgDir = savedDir;
}

}  // namespace
