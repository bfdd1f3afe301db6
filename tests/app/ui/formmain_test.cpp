#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>

#include "app/rd_wr_ini.h"
#include "app/ui/formmain.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "link/hgcbox.h"
#include "support/mainwindow.h"
#include "support/tempdir.h"

namespace {

bool Visible(TFormMain& f, const char* name) {
    QAction* a = f.MenuItem(QString::fromUtf8(name));
    EXPECT_NE(a, nullptr) << name;
    return a && a->isVisible();
}

TEST(FormMain, FirstRunCreatesFoldersHidesMenusAndRemovesTempFilesAtClose) {
    TempDir dir;
    {
        TFormMain form(dir.dir());
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Программа обслуживания контроллера  КВР_Torvane_370"));
        for (const char* d : {"CONFIG", "ALAFILES", "AUDFILES", "MOMDATA", "HOURDATA", "DAYDATA", "REPORT", "INI"})
            EXPECT_TRUE(qvr::DirExists(dir.dir() + d)) << d;
        EXPECT_EQ(g_SettingsIniPath, dir.dir() + "INI/qvr.ini");
        // Default geometry of a first run: 1000 x 680 as far as the screen holds it, whole on it.
        const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
        EXPECT_EQ(form.size(), QSize(std::min(1000, room.width()), std::min(680, room.height())));
        EXPECT_TRUE(room.contains(form.geometry())) << form.x() << "," << form.y();
        for (const char* top : {"N1", "NWorkPar", "NData", "NRep", "Nexcreport", "Nconnect", "Nvers"})
            EXPECT_FALSE(Visible(form, top)) << top;
        EXPECT_TRUE(form.TimerStart->isActive());
        form.TimerStart->stop();  // the window is shown below: no connection form
        EXPECT_FALSE(form.pnmodem->isVisible());
        ASSERT_NE(g_Hgc, nullptr);
        EXPECT_EQ(g_Hgc->Address, 0);
        EXPECT_EQ(g_Hgc->StatusPanel.bar, form.StatusBar1);
        EXPECT_EQ(g_Hgc->StatusPanel.panel, 3);

        for (const char* f : {"datafile.aud", "datafile.ala", "datafile.clb", "datafile.hdm"})
            ASSERT_TRUE(qvr::WriteFileAtomic(dir.dir() + f, std::string("x")));
        form.show();
        form.close();
        EXPECT_EQ(g_Hgc, nullptr);
    }
    for (const char* f : {"datafile.aud", "datafile.ala", "datafile.clb", "datafile.hdm"})
        EXPECT_FALSE(qvr::FileExists(dir.dir() + f)) << f;
    // The settings were written at exit.
    EXPECT_TRUE(qvr::FileExists(dir.dir() + "INI/rd_arh.ini"));
}

// The menu tree as the user reads it: one line per item in order, two dots per level, then
// the caption in brackets so that every blank counts.
void MenuLines(const QList<QAction*>& items, int depth, QStringList& out) {
    for (QAction* a : items) {
        if (a->isSeparator()) continue;
        out << QString(2 * depth, QLatin1Char('.')) + "[" + a->text() + "]";
        if (a->menu()) MenuLines(a->menu()->actions(), depth + 1, out);
    }
}

TEST(FormMain, MenuCaptionsAreTheProgramsTexts) {
    TempDir dir;
    QuietMainWindow form(dir.dir());
    QStringList shown;
    MenuLines(form.menuBar()->actions(), 0, shown);
    const QStringList expected = {
        "[Файл]",
        "..[Файлы  конфигурации          ]",
        "....[Создание нового файла конфигурации]",
        "....[Просмотр/Корректировка файла конфигурации]",
        "..[Сохранение параметров конфигурации в файле]",
        "..[Выход]",
        "[Параметры]",
        "..[Параметры идентификации]",
        "..[Наименование контроллера]",
        "..[Параметры связи]",
        "....[С верхним уровнем]",
        "....[C хроматографом]",
        "....[С влагомером]",
        "....[С вычислителем расхода газа]",
        "....[Параметры Ethernet ]",
        "..[Системные параметры]",
        "..[Параметры вычислителей]",
        "..[Зона нечувствительности изменений параметров газа]",
        "..[Нижняя предупредительная уставка параметра газа]",
        "..[Верхняя предупредительная уставка параметра газа]",
        "..[Нижний предел значения параметра газа, допускаемого к записи в ВРГ]",
        "..[Верхний предел значения параметра газа, допускаемого к записи в ВРГ]",
        "..[Необходимость записи значений параметров газа в ВРГ]",
        "..[Период записи средних за час значений параметров газа в ВРГ]",
        "..[Доступ пользователей к таблицам параметров]",
        "[Данные]",
        "..[Дата и время]",
        "..[Сообщения о вмешательствах оператора    ]",
        "....[Запрос по индексу]",
        "....[Запрос за период]",
        "....[Просмотр/Печать из файла]",
        "..[Диагностические сообщения   ]",
        "....[Запрос по индексу]",
        "....[Запрос за период]",
        "....[Просмотр/Печать из файла]",
        "..[Текущее состояние контроллера]",
        "..[Возможность исполнения контроллером его функций]",
        "..[Данные хроматографа]",
        "....[Мгновенные  данные хроматографа, зоны параметров газа    ]",
        "....[Средние данные хроматографа]",
        "....[Мгновенные данные хроматографа из архива 5-мин. данных    ]",
        "......[Чтение архива контроллера]",
        "......[Просмотр/Печать из файла]",
        "....[Часовые  данные]",
        "......[Чтение архива контроллера]",
        "......[Просмотр/Печать из файла]",
        "....[Суточные  данные]",
        "......[Чтение архива контроллера]",
        "......[Просмотр/Печать из файла]",
        "..[Данные влагомера]",
        "....[Мгновенные данные влагомера]",
        "....[Средние данные влагомера]",
        "....[Мгновенные данные влагомера из архива 5-мин. данных    ]",
        "......[Чтение архива контроллера]",
        "......[Просмотр/Печать из файла]",
        "....[Часовые  данные]",
        "......[Чтение архива контроллера]",
        "......[Просмотр/Печать из файла]",
        "....[Суточные  данные]",
        "......[Чтение архива контроллера]",
        "......[Просмотр/Печать из файла]",
        "....[]",
        "[Отчеты]",
        "..[Чтение данных для создания отчета]",
        "..[Просмотр/Печать суточного сертификата]",
        "..[Формат суточного сертификата]",
        "..[Формат суточного паспорта]",
        "[Отчеты]",
        "..[Паспорт КВР показателей за сутки]",
        "..[Паспорт КВР показателей за месяц]",
        "[Связь с другим устройством]",
        "[Версия]",
        "..[Идентификация пользователя программы]",
        "..[Формат представления данных]",
        "..[Условные обозначения, принятые в программе]",
        "..[О программе]",
    };
    for (qsizetype i = 0; i < std::max(shown.size(), expected.size()); ++i)
        EXPECT_EQ(shown.value(i).toStdString(), expected.value(i).toStdString()) << "line " << i;
}

TEST(FormMain, MenuVisibilityFollowsConnectionAndMoistureAnalyser) {
    TempDir dir;
    QuietMainWindow form(dir.dir());

    g_Connected = 0;
    form.StatusBar1->SetPanelText(0, "COM1");
    form.UpdateMainMenu();
    for (const char* v : {"N1", "NNewcnf", "NEditcnf", "NExit", "NData", "NChrom_View5min", "NChrom_ViewHour",
                          "NWmt_ViewDay", "NAudPrn", "NAlaPrn", "Nconnect", "Nvers", "NUser", "Nabout"})
        EXPECT_TRUE(Visible(form, v)) << v;
    for (const char* h : {"Nrdcnf", "NWorkPar", "NContrDt", "NSit", "NFun", "NChrom_MomData", "NChrom_Read5min",
                          "NWmt_ReadDay", "NAudInd", "NAlaPer", "Nexcreport", "NRep", "NFormate",
                          "NChrom_MeanData", "NWmt_MeanData"})
        EXPECT_FALSE(Visible(form, h)) << h;
    EXPECT_EQ(form.StatusBar1->PanelText(0), "");

    g_Connected = 1;
    g_MoisturePresent = 0;
    form.UpdateMainMenu();
    EXPECT_TRUE(Visible(form, "NWorkPar"));
    EXPECT_TRUE(Visible(form, "N_ChromData"));
    EXPECT_TRUE(Visible(form, "NChrom_ReadHour"));
    EXPECT_FALSE(Visible(form, "NConnWMT"));
    EXPECT_FALSE(Visible(form, "NWmt_Data"));
    EXPECT_TRUE(Visible(form, "Nexcreport"));
    EXPECT_FALSE(Visible(form, "NRep"));

    g_MoisturePresent = 1;
    ReportSettings.report_kind = 1;
    form.UpdateMainMenu();
    EXPECT_TRUE(Visible(form, "NConnWMT"));
    EXPECT_TRUE(Visible(form, "NWmt_Data"));
    EXPECT_FALSE(Visible(form, "NWmt_MeanData"));
    EXPECT_EQ(form.MenuItem("NRepPrint")->text(), QStringLiteral("Просмотр/Печать суточного паспорта"));
    ReportSettings.report_kind = 0;
    form.UpdateMainMenu();
    EXPECT_EQ(form.MenuItem("NRepPrint")->text(), QStringLiteral("Просмотр/Печать суточного сертификата"));
    g_Connected = 0;
    g_MoisturePresent = 0;
}

TEST(FormMain, EscSetsAbortOnlyWhileAllowedAndTimersDoTheirWork) {
    TempDir dir;
    QuietMainWindow form(dir.dir());
    form.show();
    g_Abort = 0;
    g_AbortAllowed = 0;
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(g_Abort, 0);
    g_AbortAllowed = 1;
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_EQ(g_Abort, 1);
    g_AbortAllowed = 0;
    g_Abort = 0;

    form.StatusBar1->SetPanelText(2, "Команда выполнена");
    form.TimerMessageTimer();
    EXPECT_EQ(form.StatusBar1->PanelText(2), "");

    form.CallStart = Now() - (3723.0 / 86400.0);  // 1 h 2 min 3 s ago
    form.TimerMoneyTimer();
    EXPECT_EQ(form.pntime->text(), QStringLiteral("01:02:03"));

    // Panel 2 takes what panels 0, 1 and 3 leave.
    EXPECT_EQ(form.StatusBar1->PanelWidth(0), 175);
    EXPECT_EQ(form.StatusBar1->PanelWidth(1), 95);
    EXPECT_EQ(form.StatusBar1->PanelWidth(3), 50);
}

TEST(FormMain, SecondRunReadsChangedSettings) {
    TempDir dir;
    {
        QuietMainWindow form(dir.dir());
        ConnSettings.Conn_Prz = 2;
        ConnSettings.Dir.Adr = 77;
        form.close();
    }
    ConnSettings.Conn_Prz = 0;
    ConnSettings.Dir.Adr = 1;
    QuietMainWindow form(dir.dir());
    EXPECT_EQ(ConnSettings.Conn_Prz, 2);
    EXPECT_EQ(ConnSettings.Dir.Adr, 77);
}

TEST(FormMain, HandEditedGeometryTheScreenCannotHoldGivesTheDefaults) {
    TempDir dir;
    ASSERT_TRUE(qvr::MakeDir(dir.dir() + "INI"));
    ASSERT_TRUE(qvr::WriteFileAtomic(dir.dir() + "INI/qvr.ini",
                                     std::string("[CURR_PAR]\r\nForm_Left=-2147483648\r\nForm_Top=3\r\n"
                                                 "Form_Width=-5\r\nForm_Height=100000\r\n")));
    QuietMainWindow form(dir.dir());
    // The default size as far as the screen holds it, whole on the screen.
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.size(), QSize(std::min(1000, room.width()), std::min(680, room.height())));
    EXPECT_TRUE(room.contains(form.geometry())) << form.x() << "," << form.y();
    EXPECT_EQ(ConnSettings.Form_Width, -5);  // the settings keep what was read
}

}  // namespace

#include <QCloseEvent>
#include <QTimer>
#include <QWindow>
#include <cstring>

#include "ctlsim/archive.h"
#include "ctlsim/ctlsim.h"
#include "data/ui/archcommands.h"
#include "link/comportfunctions.h"
#include "link/tabledir.h"

namespace {

// The engine of the shown window on a direct line to sim, as the connection form leaves it.
void AttachEngine(ctlsim::CtlSim& sim, int com, uint32_t replyMs, uint8_t tries) {
    const std::string pty = sim.StartPty();
    ASSERT_FALSE(pty.empty());
    setenv(("QVR_COM" + std::to_string(com)).c_str(), pty.c_str(), 1);
    g_Hgc->Address = 5;
    g_Hgc->ComPort = uint8_t(com);
    g_Hgc->Baud = 115200;
    g_Hgc->DoClosePort = 0;
    g_Hgc->InterByteMs = 1000;
    g_Hgc->ReplyMs = replyMs;
    g_Hgc->Tries = tries;
    ASSERT_TRUE(g_Hgc->ReopenPort());
}

// Closing the window while a request waits for its reply: the request is aborted and
// unwinds, and only then does the engine go. During a read (hourly, a reply wait of 20 s,
// request 3 never answered) the close ends the read as Esc does, no view opens, and the
// program's event loop ends as after any other close.
TEST(FormMain, CloseDuringAnExchangeOrAReadLetsItUnwindThenEndsTheProgram) {
    {
        TempDir dir;
        ctlsim::CtlSim sim{5};
        ctlsim::Faults silent;
        silent.silent = true;
        sim.SetFaults(silent);
        QuietMainWindow form(dir.dir());
        form.show();
        hgcbox* box = g_Hgc;
        AttachEngine(sim, 91, 5000, 3);

        bool closedDuringWait = false;
        QTimer::singleShot(100, &form, [&] {
            closedDuringWait = box->Busy();
            form.close();
        });
        TableRequest r{0, 0, 18};
        auto t0 = std::chrono::steady_clock::now();
        bool ok = box->Request(1, &r, 3, 0);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_TRUE(closedDuringWait);
        EXPECT_FALSE(ok);
        EXPECT_EQ(box->Result, 19u);
        EXPECT_LT(ms, 2000);
        // The engine still exists until the close runs again after the request unwound.
        EXPECT_EQ(g_Hgc, box);
        EXPECT_TRUE(QTest::qWaitFor([] { return g_Hgc == nullptr; }, 20000));
        EXPECT_FALSE(form.isVisible());
        sim.Stop();
    }

    TempDir dir;
    ctlsim::CtlSim sim{5};
    ctlsim::ArchiveSim arch(sim);
    std::memset(g_TableMemory, 0, kTableMemorySize);
    *FieldPtr(14, 6) = 9;
    sim.SetTableBytes(6, 6, {10});
    arch.SetClock(CtlDateTime(26, 3, 10, 12, 0, 10));
    arch.SetOldest(1, CtlDateTime(26, 3, 1, 0, 0, 0));
    arch.Generate(ctlsim::SimArchive::WmtHour, CtlDateTime(26, 3, 1, 0, 0, 0), CtlDateTime(26, 3, 10, 11, 0, 0));
    QuietMainWindow form(dir.dir());
    AttachEngine(sim, 92, 20000, 2);
    g_Connected = 1;
    g_MoisturePresent = 1;
    form.UpdateMainMenu();
    // Once the period is chosen, the third archive request gets no reply.
    qvr::SetArchivePeriodChooser([&](uint8_t, ArchiveSpan*, CtlDateTime& s, CtlDateTime& e) {
        s = CtlDateTime(26, 3, 9, 0, 0, 0);
        e = CtlDateTime(26, 3, 9, 23, 0, 0);
        sim.SetFatePlan([](int n) {
            ctlsim::ReplyFate f;
            if (n >= 3) f.delayMs = 600000;
            return f;
        });
        return true;
    });
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    // While request 3 waits, the window gets the close event its close button gives; any
    // window that opens after it is noted.
    bool closed = false;
    QStringList opened;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (closed) {
            QWidget* w = QApplication::activeModalWidget();
            if (w && !opened.contains(w->metaObject()->className())) opened << w->metaObject()->className();
        } else if (arch.Requests().size() >= 3 && g_Hgc && g_Hgc->Busy()) {
            closed = true;
            QCloseEvent close;
            QApplication::sendEvent(form.windowHandle(), &close);
        }
    });
    poll.start(5);
    QTimer::singleShot(0, &form, [&] { form.MenuItem("NWmt_ReadHour")->trigger(); });
    // A program that stays open is ended at this deadline.
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QApplication::exit(1); });
    deadline.start(15000);
    const int rc = QApplication::exec();
    poll.stop();
    qvr::SetArchivePeriodChooser(nullptr);
    g_Connected = 0;
    g_MoisturePresent = 0;
    EXPECT_TRUE(closed);
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(deadline.isActive());
    EXPECT_TRUE(opened.isEmpty()) << opened.join(", ").toStdString();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(g_Hgc, nullptr);
    EXPECT_EQ(arch.Requests().size(), 3u);
    sim.Stop();
}

}  // namespace
