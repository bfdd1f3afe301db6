#include "app/ui/formmain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMenuBar>
#include <QScopeGuard>
#include <QScreen>
#include <QVBoxLayout>
#include <clocale>
#include <cmath>
#include <unistd.h>

#include "app/connstatus.h"
#include "app/rd_wr_ini.h"
#include "common/dtfun.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/inifile.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/ui/appname.h"
#include "common/ui/formques.h"
#include "app/ui/modemesc.h"
#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "link/hgcbox.h"
#include "link/tcp_fun.h"
#include "data/ui/archcommands.h"
#include "params/ui/cnfcommands.h"
#include "reports/gascalc.h"

TFormMain* FormMain = nullptr;
int64_t g_PerfFrequency = 0;

namespace {

// The menu tree: item name, caption, parent item name (empty for the menu bar).
struct MenuDef {
    const char* name;
    const char* caption;
    const char* parent;
};

const MenuDef kMenu[] = {
    {"N1", "Файл", ""},
    {"N5", "Файлы  конфигурации          ", "N1"},
    {"NNewcnf", "Создание нового файла конфигурации", "N5"},
    {"NEditcnf", "Просмотр/Корректировка файла конфигурации", "N5"},
    {"Nrdcnf", "Сохранение параметров конфигурации в файле", "N1"},
    {"NExit", "Выход", "N1"},

    {"NWorkPar", "Параметры", ""},
    {"Nident", "Параметры идентификации", "NWorkPar"},
    {"NContrName", "Наименование контроллера", "NWorkPar"},
    {"N3", "Параметры связи", "NWorkPar"},
    {"NConVU", "С верхним уровнем", "N3"},
    {"NConHGC", "C хроматографом", "N3"},
    {"NConnWMT", "С влагомером", "N3"},
    {"N4", "С вычислителем расхода газа", "N3"},
    {"NEthernet", "Параметры Ethernet ", "N3"},
    {"Nsys", "Системные параметры", "NWorkPar"},
    {"NCurrVich", "Параметры вычислителей", "NWorkPar"},
    {"NInsens", "Зона нечувствительности изменений параметров газа", "NWorkPar"},
    {"NLowAttent", "Нижняя предупредительная уставка параметра газа", "NWorkPar"},
    {"NUpAttent", "Верхняя предупредительная уставка параметра газа", "NWorkPar"},
    {"NLowLimit", "Нижний предел значения параметра газа, допускаемого к записи в ВРГ", "NWorkPar"},
    {"NUpperLimit", "Верхний предел значения параметра газа, допускаемого к записи в ВРГ", "NWorkPar"},
    {"NDistr", "Необходимость записи значений параметров газа в ВРГ", "NWorkPar"},
    {"Ndistrpar", "Период записи средних за час значений параметров газа в ВРГ", "NWorkPar"},
    {"NPass", "Доступ пользователей к таблицам параметров", "NWorkPar"},

    {"NData", "Данные", ""},
    {"NContrDt", "Дата и время", "NData"},
    {"NAud", "Сообщения о вмешательствах оператора    ", "NData"},
    {"NAudInd", "Запрос по индексу", "NAud"},
    {"NAudPer", "Запрос за период", "NAud"},
    {"NAudPrn", "Просмотр/Печать из файла", "NAud"},
    {"NAla", "Диагностические сообщения   ", "NData"},
    {"NAlaInd", "Запрос по индексу", "NAla"},
    {"NAlaPer", "Запрос за период", "NAla"},
    {"NAlaPrn", "Просмотр/Печать из файла", "NAla"},
    {"NSit", "Текущее состояние контроллера", "NData"},
    {"NFun", "Возможность исполнения контроллером его функций", "NData"},
    {"N_ChromData", "Данные хроматографа", "NData"},
    {"NChrom_MomData", "Мгновенные  данные хроматографа, зоны параметров газа    ", "N_ChromData"},
    {"NChrom_MeanData", "Средние данные хроматографа", "N_ChromData"},
    {"NChrom_5min", "Мгновенные данные хроматографа из архива 5-мин. данных    ", "N_ChromData"},
    {"NChrom_Read5min", "Чтение архива контроллера", "NChrom_5min"},
    {"NChrom_View5min", "Просмотр/Печать из файла", "NChrom_5min"},
    {"NChrom_Hour", "Часовые  данные", "N_ChromData"},
    {"NChrom_ReadHour", "Чтение архива контроллера", "NChrom_Hour"},
    {"NChrom_ViewHour", "Просмотр/Печать из файла", "NChrom_Hour"},
    {"NChrom_Day", "Суточные  данные", "N_ChromData"},
    {"NChrom_ReadDay", "Чтение архива контроллера", "NChrom_Day"},
    {"NChrom_ViewDay", "Просмотр/Печать из файла", "NChrom_Day"},
    {"NWmt_Data", "Данные влагомера", "NData"},
    {"NWmt_MomData", "Мгновенные данные влагомера", "NWmt_Data"},
    {"NWmt_MeanData", "Средние данные влагомера", "NWmt_Data"},
    {"NWmt_5min", "Мгновенные данные влагомера из архива 5-мин. данных    ", "NWmt_Data"},
    {"NWmt_Read5min", "Чтение архива контроллера", "NWmt_5min"},
    {"NWmt_View5min", "Просмотр/Печать из файла", "NWmt_5min"},
    {"NWmt_Hour", "Часовые  данные", "NWmt_Data"},
    {"NWmt_ReadHour", "Чтение архива контроллера", "NWmt_Hour"},
    {"NWmt_ViewHour", "Просмотр/Печать из файла", "NWmt_Hour"},
    {"NWmt_Day", "Суточные  данные", "NWmt_Data"},
    {"NWmt_ReadDay", "Чтение архива контроллера", "NWmt_Day"},
    {"NWmt_ViewDay", "Просмотр/Печать из файла", "NWmt_Day"},
    {"", "", "NWmt_Data"},

    {"NRep", "Отчеты", ""},
    {"NRepCreate", "Чтение данных для создания отчета", "NRep"},
    {"NRepPrint", "Просмотр/Печать суточного сертификата", "NRep"},
    {"NRepFormate", "Формат суточного сертификата", "NRep"},
    {"NPaspFormate", "Формат суточного паспорта", "NRep"},

    {"Nexcreport", "Отчеты", ""},
    {"N6", "Паспорт КВР показателей за сутки", "Nexcreport"},
    {"N8", "Паспорт КВР показателей за месяц", "Nexcreport"},

    {"Nconnect", "Связь с другим устройством", ""},

    {"Nvers", "Версия", ""},
    {"NUser", "Идентификация пользователя программы", "Nvers"},
    {"NFormate", "Формат представления данных", "Nvers"},
    {"NMean", "Условные обозначения, принятые в программе", "Nvers"},
    {"Nabout", "О программе", "Nvers"},
};

// Items hidden without a connection.
const char* const kNeedConnection[] = {
    "NWorkPar", "NContrDt", "NRepCreate", "Nexcreport", "NSit", "NFun", "NChrom_MomData",
    "NChrom_MeanData", "NChrom_Read5min", "NChrom_ReadHour", "NChrom_ReadDay", "NWmt_MomData",
    "NWmt_MeanData", "NWmt_Read5min", "NWmt_ReadHour", "NWmt_ReadDay", "NAudInd", "NAudPer",
    "NAlaInd", "NAlaPer", "Nrdcnf"};

const char* const kTempFiles[] = {"datafile.aud", "datafile.ala", "datafile.clb", "datafile.hdm"};

}  // namespace

bool EscAbortHook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && g_AbortAllowed &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        g_Abort = 1;
    return QObject::eventFilter(watched, event);
}

TFormMain::TFormMain(const std::string& progDir, QWidget* parent) : QMainWindow(parent) {
    FormMain = this;
    setWindowTitle(QString::fromUtf8(qvr::kProgramCaption));
    resize(1040, 680);
    CallStart = 0;
    g_ProgDir = progDir.empty() ? qvr::ExecutableDir() : progDir;
    if (!g_ProgDir.empty() && g_ProgDir.back() != '/') g_ProgDir += '/';

    BuildMenu();

    auto* central = new QWidget(this);
    auto* vbox = new QVBoxLayout(central);
    vbox->setContentsMargins(0, 0, 0, 0);
    vbox->setSpacing(0);
    vbox->addStretch(1);

    Panel1 = new QWidget(central);
    auto* pv = new QVBoxLayout(Panel1);
    pv->setContentsMargins(0, 0, 0, 0);
    pv->setSpacing(0);

    pnmodem = new QWidget(Panel1);
    auto* pm = new QHBoxLayout(pnmodem);
    Label1 = new QLabel(QStringLiteral("Продолжительность связи по телефону"), pnmodem);
    pntime = new QLabel(QStringLiteral("00:00:00"), pnmodem);
    pntime->setFrameShape(QFrame::Panel);
    pntime->setFrameShadow(QFrame::Sunken);
    BitBtn3 = new QPushButton(QStringLiteral("Отключить связь"), pnmodem);
    pm->addStretch(1);
    pm->addWidget(Label1);
    pm->addWidget(pntime);
    pm->addWidget(BitBtn3);
    pnmodem->hide();
    pv->addWidget(pnmodem);

    StatusBar3 = new TStatusBar({400}, Panel1);
    StatusBar2 = new TStatusBar({400}, Panel1);
    StatusBar1 = new TStatusBar({175, 95, -1, 50}, Panel1);
    StatusBar3->hide();
    StatusBar2->hide();
    pv->addWidget(StatusBar3);
    pv->addWidget(StatusBar2);
    pv->addWidget(StatusBar1);
    vbox->addWidget(Panel1);
    setCentralWidget(central);

    TimerStart = new QTimer(this);
    TimerStart->setInterval(100);
    TimerMessage = new QTimer(this);
    TimerMessage->setInterval(3000);
    TimerMoney = new QTimer(this);
    TimerMoney->setInterval(1000);
    connect(TimerStart, &QTimer::timeout, this, &TFormMain::TimerStartTimer);
    connect(TimerMessage, &QTimer::timeout, this, &TFormMain::TimerMessageTimer);
    connect(TimerMoney, &QTimer::timeout, this, &TFormMain::TimerMoneyTimer);
    connect(BitBtn3, &QPushButton::clicked, this, [this] { RunCommand([this] { BitBtn3Click(); }); });

    pod = new QFileDialog(this);
    pod->setAcceptMode(QFileDialog::AcceptOpen);
    pod->setNameFilters(qvr::DataOpenDialogFilters());
    psd = new QFileDialog(this);
    psd->setAcceptMode(QFileDialog::AcceptSave);

    // Every wait of the core keeps the window alive through this pump.
    qvr::SetMessagePump([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 20); });
    // A settings file that cannot be written is reported by the simple error box.
    qvr::SetIniErrorHandler([this](const std::string& message) {
        QMessageBox::critical(this, QApplication::applicationName(), QString::fromStdString(message));
    });
    // Socket address messages: a box without owner window and with an empty caption.
    SetTransportMessageBox([](const std::string& text) {
        QMessageBox box(QMessageBox::NoIcon, QString(), QString::fromStdString(text), QMessageBox::Ok);
        box.exec();
    });
    qvr::SetHourglassHandler([](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else if (QApplication::overrideCursor())
            QApplication::restoreOverrideCursor();
    });

    FormCreate();
}

TFormMain::~TFormMain() {
    if (!closed_) FormClose();
    qvr::SetMessagePump(nullptr);
    qvr::SetHourglassHandler(nullptr);
    qvr::SetIniErrorHandler(nullptr);
    SetTransportMessageBox(nullptr);
    if (escHook_) qApp->removeEventFilter(escHook_);
    if (FormMain == this) FormMain = nullptr;
}

void TFormMain::BuildMenu() {
    QHash<QString, QMenu*> menus;
    // An item with children becomes a submenu; find them first.
    QSet<QString> parents;
    for (const MenuDef& d : kMenu)
        if (*d.parent) parents.insert(QString::fromUtf8(d.parent));
    for (const MenuDef& d : kMenu) {
        const QString name = QString::fromUtf8(d.name);
        const QString caption = QString::fromUtf8(d.caption);
        const QString parent = QString::fromUtf8(d.parent);
        QAction* action = nullptr;
        if (!name.isEmpty() && parents.contains(name)) {
            QMenu* menu = parent.isEmpty() ? menuBar()->addMenu(caption) : menus[parent]->addMenu(caption);
            menu->setObjectName(name);
            menus[name] = menu;
            action = menu->menuAction();
        } else if (parent.isEmpty()) {
            action = menuBar()->addAction(caption);
        } else {
            action = menus[parent]->addAction(caption);
        }
        action->setObjectName(name);
        action->setMenuRole(QAction::NoRole);
        if (!name.isEmpty()) items_[name] = action;
        if (parent.isEmpty()) topItems_.push_back(action);
    }
    // Exit and a new connection only close the window or arm the start timer.
    connect(items_["NExit"], &QAction::triggered, this, &TFormMain::NexitClick);
    connect(items_["Nconnect"], &QAction::triggered, this, &TFormMain::NconnectClick);
    OnItem("NUser", [this] { IdentifyUser(); });
    OnItem("NNewcnf", [this] { NParCnfClick(0); });
    OnItem("NEditcnf", [this] { NParCnfClick(1); });
    OnItem("Nrdcnf", [this] { NrdcnfClick(); });
    ConnectParamCommands();
    ConnectDataCommands();
}

void TFormMain::OnItem(const char* name, std::function<void()> command) {
    if (QAction* a = MenuItem(QString::fromUtf8(name)))
        connect(a, &QAction::triggered, this, [this, command = std::move(command)] { RunCommand(command); });
}

void TFormMain::RunCommand(const std::function<void()>& command) {
    ++commands_;
    const auto done = qScopeGuard([this] { --commands_; });
    command();
}

void TFormMain::HideTopMenus() {
    for (QAction* a : topItems_) a->setVisible(false);
}

void TFormMain::FormCreate() {
    g_Closing = 0;
    // 1. Numbers are written and read with '.' whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    // 2. The one exchange engine; panel 3 shows its "Обмен...".
    g_Hgc = new hgcbox(0);
    g_Hgc->StatusPanel = qvr::StatusPanelRef{StatusBar1, 3};
    // 3, 4. The program's folders; a failure shows later, when a file is written.
    for (const char* dir : {"CONFIG", "ALAFILES", "AUDFILES", "MOMDATA", "HOURDATA", "DAYDATA", "REPORT", kIniFolderName})
        qvr::MakeDir(g_ProgDir + dir);
    // 5. The settings files of the INI folder, in the order they are read.
    const std::string ini = IniFolderPath();
    RdArhIniPath = ini + "rd_arh.ini";
    ReadArchivePeriod(RdArhIniPath);
    g_SettingsIniPath = ini + "qvr.ini";
    g_PhoneListIniPath = ini + "fon_abonents.ini";
    g_EthListIniPath = ini + "ethr_abonents.ini";
    // 6. Link settings; the saved copy is taken before the directories are read.
    QSize screen(1024, 768);
    if (QScreen* sc = QGuiApplication::primaryScreen()) screen = sc->size();
    ReadConnSettings(g_SettingsIniPath, screen.width(), screen.height());
    ConnSettingsSaved = ConnSettings;
    ReadPhoneSubscribers(g_PhoneListIniPath);
    SortPhoneSubscribers(ConnSettings.FonList);
    ReadEthSubscribers(g_EthListIniPath);
    SortEthSubscribers(ConnSettings.EthrList);
    // 7. Metering objects.
    g_ObjectsIniPath = ini + "objects.ini";
    ReadObjectList(g_ObjectsIniPath);
    SortObjectList(&ObjectList);
    // 8. Report settings.
    RepConfIniPath = ini + "repconf.ini";
    ReadReportConf(RepConfIniPath);
    ApplyReportDecimalsRule(ReportSettings);
    // 9. Display strings; every message box goes through the message form.
    qvr::InitStringTable();
    qvr::BuildKcalColumns();
    qvr::InstallQuesFormHandler();
    // 10. The frequency of the precise clock.
    g_PerfFrequency = PerfFrequency();
    // 11. Menus hidden until a connection allows them.
    HideTopMenus();
    ModemCallUp = 0;
    pnmodem->hide();
    StatusBar3->hide();
    StatusBar2->hide();
    g_StatusBar3 = StatusBar3;
    g_StatusBar2 = StatusBar2;
    // 12. Window geometry from the settings (never written back), as the screens can hold it.
    std::vector<WindowRect> screens;
    WindowRect available;
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary) {
        const QRect p = primary->geometry();
        screens.push_back({p.x(), p.y(), p.width(), p.height()});
        const QRect a = primary->availableGeometry();
        available = {a.x(), a.y(), a.width(), a.height()};
        for (QScreen* sc : QGuiApplication::screens()) {
            const QRect q = sc->geometry();
            if (sc != primary) screens.push_back({q.x(), q.y(), q.width(), q.height()});
        }
    } else {
        screens.push_back({0, 0, screen.width(), screen.height()});
    }
    const WindowRect g = UsableWindowGeometry(ConnSettings, screens, available);
    setGeometry(g.left, g.top, g.width, g.height);
    // 13. The first connection attempt.
    TimerStart->start();
}

void TFormMain::FormActivate() {
    if (!escHook_) {
        escHook_ = new EscAbortHook(this);
        qApp->installEventFilter(escHook_);
        ModemEscFilter::Install();
    }
}

void TFormMain::FormShow() {
    // Panel 2 takes the free width and panel 3 keeps its 50 pixels at the right: the bar's
    // layout gives panel 2 whatever panels 0, 1 and 3 leave, at every size of the window.
    // A fixed width here would become the bar's minimum width (with the layout's margins
    // and spacing on top) and widen the window at every resize, without end.
    if (QLabel* panel = StatusBar1->Panel(2)) {
        panel->setMinimumWidth(0);
        panel->setMaximumWidth(QWIDGETSIZE_MAX);
    }
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FormActivate();
    FormShow();
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (isVisible()) FormShow();
}

void TFormMain::Disconnect() {
    if (!g_Hgc) return;
    if (g_Hgc->Socket >= 0) {
        ::close(g_Hgc->Socket);
        g_Hgc->Socket = -1;
    }
    if (ModemCallUp) {
        ModemHangUp(g_Hgc->PortHandle);
        ModemCallUp = 0;
    }
    if (g_Hgc->PortHandle >= 0) {
        CloseComPort(g_Hgc->PortHandle);
        g_Hgc->PortHandle = -1;
    }
    g_Connected = 0;
    TimerMoney->stop();
    pnmodem->hide();
    StatusBar3->hide();
    StatusBar2->hide();
    StatusBar1->SetPanelText(1, "");
}

void TFormMain::UpdateMainMenu() {
    for (QAction* a : items_) a->setVisible(true);
    if (!g_Connected) {
        for (const char* name : kNeedConnection) items_[QString::fromUtf8(name)]->setVisible(false);
        StatusBar1->SetPanelText(0, "");
        StatusBar1->SetPanelText(1, "");
    } else if (!g_MoisturePresent) {
        items_["NConnWMT"]->setVisible(false);
        items_["NWmt_Data"]->setVisible(false);
    }
    items_["NRepPrint"]->setText(ReportSettings.report_kind == 1
                                     ? QStringLiteral("Просмотр/Печать суточного паспорта")
                                     : QStringLiteral("Просмотр/Печать суточного сертификата"));
    for (const char* name : {"NChrom_MeanData", "NWmt_MeanData", "NRep", "NFormate"})
        items_[QString::fromUtf8(name)]->setVisible(false);
}

void TFormMain::SaveSettings() {
    WriteConnSettings(g_SettingsIniPath);
    WriteArchivePeriod(RdArhIniPath);
}

void TFormMain::NexitClick() { close(); }

void TFormMain::BitBtn3Click() {
    qvr::HourglassScope busy;
    Disconnect();
    UpdateMainMenu();
}

void TFormMain::NconnectClick() { TimerStart->start(); }

bool TFormMain::OpenConfigFile(ConfigRecord* record) { return qvr::OpenConfigFile(this, record, pod); }

void TFormMain::SaveConfigFile(ConfigRecord* record) { qvr::SaveConfigFile(this, record, psd); }

void TFormMain::NParCnfClick(int tag) { qvr::NParCnfClick(this, tag, pod, psd); }

void TFormMain::NrdcnfClick() {
    qvr::NrdcnfClick(this, StatusBar1, psd, [this](bool moisture) {
        items_["NConnWMT"]->setVisible(moisture);
        items_["NWmt_Data"]->setVisible(moisture);
    });
}


void TFormMain::TimerMessageTimer() {
    TimerMessage->stop();
    StatusBar1->SetPanelText(2, "");
}

void TFormMain::TimerMoneyTimer() {
    // Elapsed call time as hours, minutes and seconds.
    long long secs = std::llround((Now() - CallStart) * 86400.0);
    if (secs < 0) secs = 0;
    pntime->setText(QString::asprintf("%02lld:%02lld:%02lld", secs / 3600 % 24, secs / 60 % 60, secs % 60));
}

void TFormMain::closeEvent(QCloseEvent* event) {
    // An exchange or a dial that waits inside the message loop must unwind before the
    // engine goes: ask it to stop and close once it has.
    // A connection attempt or a command is let run to its end too: between two of its
    // requests it may wait in a question box or a pause, and what follows needs the engine.
    // A command ends as on Esc and opens no other window (a view shown after the close
    // would keep the program open), and the close is asked again until it has returned.
    closing_ = true;
    if (g_Hgc && (attempting_ || commands_ > 0 || g_Hgc->Busy() || dialing_)) {
        if (commands_ > 0) g_Closing = 1;
        if (g_AbortAllowed) g_Abort = 1;
        if (g_Hgc->Busy()) g_Hgc->Abort = 1;
        if (dialing_) ModemEscPress();
        event->ignore();
        QTimer::singleShot(50, this, &QWidget::close);
        return;
    }
    FormClose();
    event->accept();
}

bool TFormMain::FormClose() {
    if (closed_) return true;
    closed_ = true;
    qvr::HourglassScope busy;
    TimerStart->stop();
    TimerMessage->stop();
    TimerMoney->stop();
    Disconnect();
    delete g_Hgc;
    g_Hgc = nullptr;
    SaveSettings();
    for (const char* f : kTempFiles) qvr::RemoveFile(g_ProgDir + f);
    g_StatusBar2 = g_StatusBar3 = nullptr;
    return true;
}
