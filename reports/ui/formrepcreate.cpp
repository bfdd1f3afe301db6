#include "reports/ui/formrepcreate.h"

#include <QDate>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>

#include "common/question.h"

TFormRepCreate::TFormRepCreate(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormRepCreate"));
    setWindowTitle(QStringLiteral("Чтение данных для создания отчета"));
    setFixedSize(470, 190);
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(16, 12, 440, 22);
    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 38, 440, 22);
    auto* l3 = new QLabel(QStringLiteral("Сутки отчета"), this);
    l3->setGeometry(16, 80, 160, 24);
    DateTimePicker1 = new QDateEdit(this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(180, 80, 140, 24);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    // The controller keeps the year as year - 2000 in one byte of the report.
    DateTimePicker1->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));

    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(90, 140, 120, 28);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(260, 140, 120, 28);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormRepCreate::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormRepCreate::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormRepCreate::FormShow() {
    if (Span) {
        Label1->setText(QString::asprintf("Дата и время самой старой записи в архиве:  %02d.%02d.%02d",
                                          Span->begin.day, Span->begin.month, Span->begin.year));
        Label2->setText(QString::asprintf("Дата и время последней записи в архиве:  %02d.%02d.%02d",
                                          Span->end.day, Span->end.month, Span->end.year));
    }
    DateTimePicker1->setDate(QDate::currentDate().addDays(-1));
}

void TFormRepCreate::BitBtn1Click() {
    if (!Report || !Span) return;
    const QDate d = DateTimePicker1->date();
    if (qvr::SetReportDay(*Report, CalDate{d.year(), d.month(), d.day()}, *Span)) {
        Accepted = 1;
        accept();
        return;
    }
    g_QuesKind = qvr::kQuesInputError;
    qvr::ShowQues("В архиве нет данных за указанные сутки", "(см. период имеющихся в архиве данных)");
}
