#include "reports/ui/xlsreport.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "app/rd_wr_ini.h"
#include "common/fileutil.h"
#include "common/globals.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/ui/qtext.h"
#include "data/archread.h"
#include "data/ui/readwindow.h"
#include "link/tabledir.h"
#include "reports/ui/formobject.h"
#include "reports/ui/formobjects_list.h"

using namespace qvr;

namespace {

constexpr const char* kNewObject = "Новый объект";

XlsMessageBox& MessageHook() {
    static XlsMessageBox hook;
    return hook;
}

ExcRepDateChooser& DateChooser() {
    static ExcRepDateChooser chooser;
    return chooser;
}

QString DateText(const char* format, const CtlMinuteTime& t) {
    char buf[128];
    std::snprintf(buf, sizeof buf, format, t.day, t.month, t.year);
    return QString::fromUtf8(buf);
}

}  // namespace

// ---------------------------------------------------------------------------------------

TFormExcRep_Date::TFormExcRep_Date(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral(" Параметры отчета за сутки"));
    Label1 = new QLabel(this);
    Label2 = new QLabel(this);
    UpDown1 = new QSpinBox(this);
    UpDown1->setRange(2000, 2099);
    ComboBox1 = new QComboBox(this);
    for (int m = 1; m <= 12; ++m) ComboBox1->addItem(QString::fromUtf8(MonthNames[m]));
    Label5 = new QLabel(QStringLiteral("День"), this);
    ComboBox2 = new QComboBox(this);
    ComboBox3 = new QComboBox(this);
    ComboBox3->setMinimumWidth(360);
    BitBtn3 = new QPushButton(QStringLiteral("Список объектов"), this);
    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(QStringLiteral("Год"), this), 0, 0);
    grid->addWidget(UpDown1, 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Месяц"), this), 0, 1);
    grid->addWidget(ComboBox1, 1, 1);
    grid->addWidget(Label5, 0, 2);
    grid->addWidget(ComboBox2, 1, 2);
    auto* objects = new QHBoxLayout;
    objects->addWidget(ComboBox3, 1);
    objects->addWidget(BitBtn3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BitBtn1);
    buttons->addWidget(BitBtn2);
    auto* v = new QVBoxLayout(this);
    v->addWidget(new QLabel(QStringLiteral("Объект"), this));
    v->addLayout(objects);
    v->addWidget(Label1);
    v->addWidget(Label2);
    v->addLayout(grid);
    v->addLayout(buttons);

    connect(UpDown1, qOverload<int>(&QSpinBox::valueChanged), this, &TFormExcRep_Date::UpDown1Change);
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, &TFormExcRep_Date::ComboBox1Change);
    connect(ComboBox2, qOverload<int>(&QComboBox::activated), this, &TFormExcRep_Date::ComboBox2Change);
    connect(ComboBox3, qOverload<int>(&QComboBox::activated), this, &TFormExcRep_Date::ComboBox3Change);
    connect(BitBtn3, &QPushButton::clicked, this, &TFormExcRep_Date::BitBtn3Click);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormExcRep_Date::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormExcRep_Date::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TFormExcRep_Date::FormShow() {
    setWindowTitle(Mode == 1 ? QStringLiteral(" Параметры отчета за месяц") : QStringLiteral(" Параметры отчета за сутки"));
    Label5->setVisible(Mode != 1);
    ComboBox2->setVisible(Mode != 1);
    if (Span) {
        DateTime[0] = Span->end.year;
        DateTime[1] = Span->end.month;
        DateTime[2] = Span->end.day;
        DateTime[3] = Span->end.hour;
        DateTime[4] = Span->end.minute;
        DateTime[5] = 0;
        Label1->setText(DateText("Дата самой старой записи в архиве суточных данных:  %02d.%02d.%02d", Span->begin));
        Label2->setText(DateText("Дата последней записи в архиве:  %02d.%02d.%02d", Span->end));
    }
    filling_ = true;
    UpDown1->setValue(2000 + std::min<int>(DateTime[0], 99));
    ComboBox1->setCurrentIndex(DateTime[1] >= 1 && DateTime[1] <= 12 ? DateTime[1] - 1 : 0);
    filling_ = false;
    FillDays();
    FillObjects();
}

void TFormExcRep_Date::FillDays() {
    filling_ = true;
    const int days = DaysInMonth(2000 + DateTime[0], DateTime[1]);
    ComboBox2->clear();
    for (int d = 1; d <= days; ++d) ComboBox2->addItem(QString::number(d));
    if (DateTime[2] > days) DateTime[2] = uint8_t(days);
    if (DateTime[2] < 1) DateTime[2] = 1;
    ComboBox2->setCurrentIndex(DateTime[2] - 1);
    filling_ = false;
}

void TFormExcRep_Date::FillObjects() {
    filling_ = true;
    ComboBox3->clear();
    const int n = std::min<int>(ObjectList.obj_num, kMaxObjects);
    for (int i = 0; i < n; ++i) ComboBox3->addItem(FromWin(ObjectList.entries[i].obj_name, sizeof ObjectList.entries[i].obj_name));
    if (n < kMaxObjects) ComboBox3->addItem(QString::fromUtf8(kNewObject));
    ComboBox3->setCurrentIndex(n > 0 && ObjectList.obj_index < n ? ObjectList.obj_index : -1);
    filling_ = false;
}

void TFormExcRep_Date::UpDown1Change(int year) {
    if (filling_) return;
    DateTime[0] = uint8_t(std::clamp(year - 2000, 0, 99));
}

void TFormExcRep_Date::ComboBox1Change(int index) {
    DateTime[1] = uint8_t(index + 1);
    FillDays();
}

void TFormExcRep_Date::ComboBox2Change(int index) {
    if (index >= 0) DateTime[2] = uint8_t(index + 1);
}

void TFormExcRep_Date::ComboBox3Change(int index) {
    if (filling_ || index < 0) return;
    const int n = std::min<int>(ObjectList.obj_num, kMaxObjects);
    if (index < n) {
        ObjectList.obj_index = uint8_t(index);
        return;
    }
    // "Новый объект": fill the first free entry.
    TFormObject form(this);
    form.EditMode = 0;
    form.Entry = &ObjectList.entries[n];
    form.exec();
    if (form.Accepted != 1) return;
    ObjectList.obj_index = uint8_t(n);
    ObjectList.obj_num = uint8_t(n + 1);
    {
        HourglassScope hourglass;
        WriteObjectList(g_ObjectsIniPath);
    }
    FillObjects();
}

void TFormExcRep_Date::BitBtn3Click() {
    TFormObjects_List form(this);
    form.exec();
    if (form.Accepted == 1) FillObjects();
}

void TFormExcRep_Date::BitBtn1Click() {
    const int n = std::min<int>(ObjectList.obj_num, kMaxObjects);
    const int sel = ComboBox3->currentIndex();
    if (sel < 0 || sel >= n) {
        g_QuesKind = kQuesInputError;
        ShowQues("Не введено наименование объекта", "");
        return;
    }
    bool inside = true;
    if (Span) {
        const CtlHourTime chosen(DateTime[0], DateTime[1], Mode == 1 ? 1 : DateTime[2], 0);
        const CtlHourTime begin(Span->begin.year, Span->begin.month, Mode == 1 ? 1 : Span->begin.day, 0);
        const CtlHourTime end(Span->end.year, Span->end.month, Mode == 1 ? 1 : Span->end.day, 0);
        inside = CompareCtlDateTimeByUnit(chosen, begin, kUnitDay) >= 0 && CompareCtlDateTimeByUnit(chosen, end, kUnitDay) <= 0;
    }
    if (!inside) {
        g_QuesKind = kQuesInputError;
        ShowQues("В архиве нет данных за указанную дату", "(см. период имеющихся в архиве данных)");
        return;
    }
    DateTime[3] = ContractHour();
    Accepted = 1;
    accept();
}

// ---------------------------------------------------------------------------------------

TFormXls_Report::TFormXls_Report(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ожидайте..."));
    setFixedSize(280, 130);
    Label1 = new QLabel(QStringLiteral("Ожидайте..."), this);
    Label2 = new QLabel(QStringLiteral("Выполняется формирование"), this);
    Label3 = new QLabel(QStringLiteral("отчета в формате Excel"), this);
    auto* v = new QVBoxLayout(this);
    for (QLabel* l : {Label1, Label2, Label3}) {
        l->setAlignment(Qt::AlignCenter);
        v->addWidget(l);
    }
    Timer1 = new QTimer(this);
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &TFormXls_Report::Timer1Timer);
}

void TFormXls_Report::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Timer1->start();
}

void TFormXls_Report::Timer1Timer() {
    Timer1->stop();
    if (Job) Saved = MakeXlsReport(*Job, XlsMessages());
    accept();
}

// ---------------------------------------------------------------------------------------

namespace qvr {

void ShowXlsMessage(const std::string& text, const std::string& caption, bool errorIcon) {
    QMessageBox box(errorIcon ? QMessageBox::Critical : QMessageBox::NoIcon,
                    caption.empty() ? QApplication::applicationName() : QString::fromStdString(caption),
                    QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void SetXlsMessageHook(XlsMessageBox hook) { MessageHook() = std::move(hook); }

XlsMessageBox XlsMessages() {
    if (MessageHook()) return MessageHook();
    return ShowXlsMessage;
}

void SetExcRepDateChooser(ExcRepDateChooser chooser) { DateChooser() = std::move(chooser); }

namespace {

bool ChooseDate(QWidget* parent, uint8_t mode, ArchiveSpan* span, uint8_t dt[6]) {
    if (DateChooser()) return DateChooser()(mode, span, dt);
    TFormExcRep_Date form(parent);
    form.Span = span;
    form.Mode = mode;
    form.exec();
    if (form.Accepted != 1) return false;
    std::memcpy(dt, form.DateTime, 6);
    return true;
}

void RunReportCommand(uint8_t kind, QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage) {
    const std::string tpl = XlsTemplatePath(kind);
    if (!FileExists(tpl)) {
        g_QuesKind = kQuesError;
        ShowQues("В рабочем каталоге отсутствует файл " + std::string(kind == 0 ? kDayTemplateName : kMonthTemplateName),
                 "Обратитесь к разработчику программного обеспечения");
        return;
    }
    ArchiveSpan span;
    CtlDateTime oldest;
    {
        HourglassScope hourglass;
        if (!ReadArchiveBounds(span, oldest, kBoundsDay, statusBar)) return;
    }
    uint8_t dt[6] = {};
    if (!ChooseDate(mainWindow, kind, &span, dt)) return;
    const int index = ObjectList.obj_index < kMaxObjects ? ObjectList.obj_index : 0;
    XlsReportJob job;
    job.objectName = FieldText(ObjectList.entries[index].obj_name, sizeof ObjectList.entries[index].obj_name);
    const ReportDate date{dt[0], dt[1], dt[2], dt[3]};

    ReadWindow window(mainWindow, statusBar, timerMessage);
    const bool ok = kind == 0 ? ReadDayReportData(date, span, window.ui, job)
                              : ReadMonthReportData(date, span, window.ui, job);
    window.Close();
    if (!ok) return;
    TFormXls_Report form(mainWindow);
    form.Job = &job;
    form.exec();
}

}  // namespace

void NExcDayClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage) {
    RunReportCommand(0, mainWindow, statusBar, timerMessage);
}

void NExcMonClick(QWidget* mainWindow, IStatusBar* statusBar, QTimer* timerMessage) {
    RunReportCommand(1, mainWindow, statusBar, timerMessage);
}

}  // namespace qvr
