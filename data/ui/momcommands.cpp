#include "data/ui/momcommands.h"

#include <QTimer>

#include "common/question.h"
#include "data/momdata.h"
#include "data/ui/formmom.h"
#include "data/ui/formmomwmt.h"
#include "data/ui/formprz.h"
#include "link/conffun.h"
#include "link/tabledir.h"
#include "params/ui/formtableinfo.h"

namespace qvr {

namespace {
constexpr int kPanelStatus = 2;
constexpr uint8_t kResultResetDone = 3;

// Reads one link flag of table 33 (interactive); -1 when the read failed.
int ReadLinkFlag(uint8_t field, IStatusBar* bar) {
    bool ok;
    {
        HourglassScope hourglass;
        ok = ReadTableFields(TableRequest{uint8_t(kTableLinks), field, 1}, bar, 1);
    }
    if (!ok) return -1;
    if (bar) {
        bar->SetPanelText(kPanelStatus, "");
        bar->Repaint();
    }
    return TablePtr(kTableLinks)[field];
}

void NoLinkNotice(const char* text) {
    g_QuesKind = kQuesNotice;
    ShowQues(text, "(см. текущее состояние контроллера)");
}
}  // namespace

int NSitClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage,
              const std::function<void()>& disconnect, const std::function<void()>& updateMainMenu) {
    TableStateBuffer state{};
    int r = 0;
    {
        TFormPrz prz(mainWindow);
        prz.TableState = &state;
        prz.StatusBar = statusBar1;
        prz.MessageTimer = timerMessage;
        do {
            prz.exec();
            if (prz.Result == 0) {
                r = 0;
                break;
            }
            TFormTableInfo info(mainWindow);
            info.State = &state;
            info.StatusBar = statusBar1;
            info.exec();
            r = info.Result;
        } while (r == 0);
    }
    HourglassScope hourglass;
    if (r == kResultResetDone && disconnect) disconnect();
    if (updateMainMenu) updateMainMenu();
    return r;
}

void NChrom_MomDataClick(QWidget* mainWindow, IStatusBar* statusBar1, QTimer* timerMessage) {
    const int link = ReadLinkFlag(0, statusBar1);
    if (link < 0) return;
    if (link == 0) {
        NoLinkNotice("Нет связи с хроматографом");
        return;
    }
    {
        TFormMom form(mainWindow);
        form.StatusBar = statusBar1;
        form.exec();
    }
    if (timerMessage) timerMessage->start();
}

void NWmt_MomDataClick(QWidget* mainWindow, IStatusBar* statusBar1) {
    const int link = ReadLinkFlag(1, statusBar1);
    if (link < 0) return;
    if (link == 0) {
        NoLinkNotice("Нет связи с влагомером");
        return;
    }
    TFormMomWmt form(mainWindow);
    form.StatusBar = statusBar1;
    form.exec();
}

}  // namespace qvr
