// The main window's commands of the data, report and Excel menus, and the views and print
// forms the readers hand their data to.
#include "app/ui/formmain.h"
#include "data/ui/archcommands.h"
#include "data/ui/chromarchform.h"
#include "data/ui/formala.h"
#include "data/ui/formarh_wmt.h"
#include "data/ui/logcommands.h"
#include "data/ui/momcommands.h"
#include "reports/gascalc.h"
#include "reports/ui/printforms.h"
#include "reports/ui/reportcommands.h"
#include "reports/ui/xlsreport.h"

void TFormMain::ConnectDataCommands() {
    using ReadCommand = void (*)(QWidget*, qvr::IStatusBar*, QTimer*);
    const std::pair<const char*, ReadCommand> reads[] = {
        {"NChrom_Read5min", &qvr::NChrom_Read5minClick}, {"NChrom_ReadHour", &qvr::NChrom_ReadHourClick},
        {"NChrom_ReadDay", &qvr::NChrom_ReadDayClick},   {"NWmt_Read5min", &qvr::NWmt_Read5minClick},
        {"NWmt_ReadHour", &qvr::NWmt_ReadHourClick},     {"NWmt_ReadDay", &qvr::NWmt_ReadDayClick},
        {"NRepCreate", &qvr::NRepCreateClick},           {"N6", &qvr::NExcDayClick},
        {"N8", &qvr::NExcMonClick},
    };
    for (const auto& [name, command] : reads)
        OnItem(name, [this, command = command] { command(this, StatusBar1, TimerMessage); });

    using ViewCommand = void (*)(QWidget*, QFileDialog*);
    const std::pair<const char*, ViewCommand> views[] = {
        {"NChrom_View5min", &qvr::NChrom_View5minClick}, {"NChrom_ViewHour", &qvr::NChrom_ViewHourClick},
        {"NChrom_ViewDay", &qvr::NChrom_ViewDayClick},   {"NWmt_View5min", &qvr::NWmt_View5minClick},
        {"NWmt_ViewHour", &qvr::NWmt_ViewHourClick},     {"NWmt_ViewDay", &qvr::NWmt_ViewDayClick},
        {"NAlaPrn", &qvr::NAlaPrnClick},                 {"NAudPrn", &qvr::NAudPrnClick},
        {"NRepPrint", &qvr::NRepPrintClick},
    };
    for (const auto& [name, command] : views) OnItem(name, [this, command = command] { command(this, pod); });

    // The log menus: tag 0 the diagnostic log, tag 1 the intervention log.
    const std::pair<const char*, int> logs[] = {{"NAlaInd", 0}, {"NAudInd", 1}};
    for (const auto& [name, tag] : logs)
        OnItem(name, [this, tag = tag] { qvr::NArhIndClick(this, StatusBar1, TimerMessage, tag); });
    const std::pair<const char*, int> periods[] = {{"NAlaPer", 0}, {"NAudPer", 1}};
    for (const auto& [name, tag] : periods)
        OnItem(name, [this, tag = tag] { qvr::NArhPerClick(this, StatusBar1, TimerMessage, tag); });

    OnItem("NWmt_MomData", [this] { qvr::NWmt_MomDataClick(this, StatusBar1); });
    OnItem("NRepFormate", [this] { qvr::NRepFormateClick(this, 0); });
    OnItem("NPaspFormate", [this] { qvr::NRepFormateClick(this, 1); });
    OnItem("NFormate", [this] { qvr::NFormateClick(this, RepConfIniPath, MenuItem("NRepPrint")); });

    qvr::InstallChromArchiveViews(qvr::ShowMoistureArchiveView);
    qvr::InstallLogViews();
    qvr::InstallPrintForms();
}
