#include "common/ui/formwait.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

namespace qvr {

void ProgressBarSink::SetMax(int max) {
    if (!bar_) return;
    bar_->setMaximum(max < 0 ? 0 : max);
    bar_->repaint();
}

void ProgressBarSink::SetPosition(int pos) {
    if (!bar_) return;
    if (pos > bar_->maximum()) pos = bar_->maximum();
    if (pos < bar_->minimum()) pos = bar_->minimum();
    bar_->setValue(pos);
    bar_->repaint();
}

}  // namespace qvr

namespace {
const char* const kWaitText = "Ожидайте...";
}  // namespace

TFormWait::TFormWait(QWidget* owner) : QDialog(nullptr), owner_(owner), progress_(nullptr) {
    // No title-bar buttons: the user cannot close it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("..."));

    Panel1 = new QFrame(this);
    Panel1->setFrameShape(QFrame::StyledPanel);
    auto makeLabel = [&](const char* name, const char* text) {
        auto* l = new QLabel(QString::fromUtf8(text), Panel1);
        l->setObjectName(QString::fromLatin1(name));
        l->setAlignment(Qt::AlignCenter);
        l->setTextFormat(Qt::PlainText);
        return l;
    };
    Label1 = makeLabel("Label1", kWaitText);
    Label2 = makeLabel("Label2", "Выполняется чтение всех параметров");
    Label3 = makeLabel("Label3", "конфигурирования устройства");
    ProgressBar1 = new QProgressBar(Panel1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    progress_ = qvr::ProgressBarSink(ProgressBar1);
    Mode = 0;

    // Stays above its owner without being its child (a child would be disabled with it).
    if (owner) {
        winId();
        QWidget* top = owner->window();
        if (windowHandle() && top && top->windowHandle()) windowHandle()->setTransientParent(top->windowHandle());
    }
}

void TFormWait::FormShow() {
    setFixedSize(352, 126);
    Panel1->setGeometry(0, 0, 352, 126);
    Label1->setGeometry(8, 8, 336, 20);
    Label2->setGeometry(8, 30, 336, 20);
    Label3->setGeometry(8, 52, 336, 20);
    ProgressBar1->setGeometry(16, 86, 320, 18);

    const char* l1 = kWaitText;
    const char* l2 = "Выполняется чтение всех параметров";
    const char* l3 = "конфигурирования устройства";
    switch (Mode) {
        case 0:
            l2 = "Выполняется проверка";
            l3 = "всех параметров конфигурации";
            break;
        case 1:
            l2 = "Выполняется чтение данных";
            l3 = "Esc - прервать чтение";
            break;
        case 2:
            l2 = "Выполняется запись параметров";
            l3 = "конфигурации в контроллер";
            break;
        case 3:
            l2 = "Выполняется чтение";
            l3 = "таблиц параметров конфигурации";
            break;
        case 4:
            l2 = "Выполняется создание";
            l3 = "таблицы в формате Excel";
            break;
        case 5:
            l1 = "Команда передана. Выполняется проверка";
            l2 = "восстановления связи с контроллером";
            l3 = kWaitText;
            break;
        default:
            break;
    }
    Label1->setText(QString::fromUtf8(l1));
    Label2->setText(QString::fromUtf8(l2));
    Label3->setText(QString::fromUtf8(l3));
}

void TFormWait::showEvent(QShowEvent* event) {
    FormShow();
    QScreen* screen = owner_ && owner_->screen() ? owner_->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        QRect r = screen->availableGeometry();
        move(r.center() - QPoint(width() / 2, height() / 2));
    }
    QDialog::showEvent(event);
}

void TFormWait::reject() {
    // Esc reaches the application's key hook (which may abort the running read); the
    // window itself stays until its caller deletes it.
}

void TFormWait::closeEvent(QCloseEvent* event) {
    if (event->spontaneous())
        event->ignore();  // Alt+F4 or the window manager
    else
        QDialog::closeEvent(event);
}

namespace qvr {

WaitWindowScope::WaitWindowScope(QWidget* mainWindow, uint8_t mode, int progressMax)
    : main_(mainWindow), form_(new TFormWait(mainWindow)) {
    form_->ProgressBar1->setMaximum(progressMax < 0 ? 0 : progressMax);
    form_->Mode = mode;
    if (main_) main_->setEnabled(false);
    form_->show();
    form_->repaint();
}

WaitWindowScope::~WaitWindowScope() {
    delete form_;
    if (main_) {
        main_->setEnabled(true);
        main_->activateWindow();
    }
}

}  // namespace qvr
