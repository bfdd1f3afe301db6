// The main window: menu, status bars, modem-call panel and timers; start-up and shut-down.
#pragma once
#include <QAction>
#include <QFileDialog>
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string>

#include "common/ui/statusbar.h"
#include "link/conffun.h"

class TFormMain;
extern TFormMain* FormMain;
extern int64_t g_PerfFrequency;  // frequency of the precise clock, ticks per second

// Sets g_Abort when Esc is pressed while a long reader allows it; the key is processed
// normally all the same.
class EscAbortHook : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    // progDir: the program's folder with a trailing '/'; empty = the executable's folder.
    explicit TFormMain(const std::string& progDir = std::string(), QWidget* parent = nullptr);
    ~TFormMain() override;

    // A menu item by its name ("NWorkPar", "NExit", ...); null when there is none.
    QAction* MenuItem(const QString& name) const { return items_.value(name); }

    void Disconnect();
    void UpdateMainMenu();
    void SaveSettings();

    // The connection sequence and its restore steps.
    bool OpenConfigFile(ConfigRecord* record);
    void SaveConfigFile(ConfigRecord* record);

    void IdentifyUser();
    bool DialModem();
    bool ReadAfterConnect();
    bool RestoreConfigTables(ConfigRecord& record, TableStateBuffer& state);
    bool RestoreUserAccess(ConfigRecord& record);
    bool CheckSystemTableForTime(const TableStateBuffer& state);
    bool WritePcTime();
    bool WriteUserTable();
    bool WriteRestoredConfig(TableStateBuffer& state);

    // Controls other commands reach.
    QWidget* Panel1 = nullptr;
    QWidget* pnmodem = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* pntime = nullptr;
    QPushButton* BitBtn3 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TStatusBar* StatusBar2 = nullptr;
    TStatusBar* StatusBar3 = nullptr;
    QTimer* TimerStart = nullptr;
    QTimer* TimerMessage = nullptr;
    QTimer* TimerMoney = nullptr;
    QFileDialog* pod = nullptr;
    QFileDialog* psd = nullptr;

    uint8_t ModemCallUp = 0;
    double CallStart = 0;  // TDateTime of the start of the modem call
    std::string RdArhIniPath;
    std::string RepConfIniPath;

public slots:
    void FormCreate();
    void FormShow();
    void FormActivate();
    void NexitClick();
    void BitBtn3Click();
    void NconnectClick();
    void NParCnfClick(int tag);
    void NrdcnfClick();
    void TimerStartTimer();
    void TimerMessageTimer();
    void TimerMoneyTimer();

    // The parameter commands of the menus (paramcommands.cpp).
    void NidentClick();
    void NContrNameClick();
    void NConVUClick();
    void NConHGCClick();
    void NConnWMTClick();
    void NVichParClick();
    void NEthernetClick();
    void NsysClick();
    void NCurrVichClick();
    void NInsensClick();
    void NLowAttentClick();
    void NUpAttentClick();
    void NLowLimitClick();
    void NUpperLimitClick();
    void NDistrClick();
    void NdistrparClick();
    void NPassClick();
    void NContrDtClick();
    void NFunClick();
    void NSitClick();
    void NChrom_MomDataClick();
    void NMeanClick();
    void NaboutClick();

public:
    // The table just read, kept before its form opens; only fields that differ from it are
    // written back. 80 bytes: the largest table edited this way.
    uint8_t OldTableCopy[80] = {};
    // Connects the parameter commands to their menu items and installs the configuration
    // editor of the file commands.
    void ConnectParamCommands();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildMenu();
    // Connects a menu item to its command, run through RunCommand.
    void OnItem(const char* name, std::function<void()> command);
    // Runs a command of the window; while one runs, a close of the window waits for it.
    void RunCommand(const std::function<void()>& command);
    bool ConnectAttempt();
    void ConnectDataCommands();
    bool CheckTableState(uint8_t version);
    void HideTopMenus();
    bool FormClose();

    QHash<QString, QAction*> items_;
    QList<QAction*> topItems_;
    EscAbortHook* escHook_ = nullptr;
    bool closing_ = false;
    bool dialing_ = false;
    bool attempting_ = false;  // a connection attempt runs (it may wait in a question box)
    int commands_ = 0;         // commands running (one may run inside another's message loop)
    bool closed_ = false;
};
