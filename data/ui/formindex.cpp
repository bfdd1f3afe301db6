#include "data/ui/formindex.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cstdint>

#include "app/rd_wr_ini.h"
#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "common/ui/keyfilters.h"
#include "data/ui/periodutil.h"
#include "params/ui/userformutil.h"

using qvr::MakeButton;
using qvr::MakeLabel;

namespace {

// The edit's text as an unsigned number; false when it is not one (the key filter lets
// '%' and the apostrophe through) or does not fit 64 bits.
bool EditNumber(const QLineEdit* e, uint64_t& value) {
    bool ok = false;
    value = e->text().trimmed().toULongLong(&ok, 10);
    return ok;
}

}  // namespace

TFormIndex::TFormIndex(QWidget* parent) : QDialog(parent) {
    setFixedSize(634, 260);
    Label1 = MakeLabel(this, "Label1", QString(), QRect(16, 12, 600, 20));
    Label2 = MakeLabel(this, "Label2", QString(), QRect(16, 34, 600, 20));
    RadioGroup1 = new qvr::RadioGroupBox(QString(),
                                         {QStringLiteral("Весь диапазон данных"), QStringLiteral("Последние 100 записей"),
                                          QStringLiteral("Последние 50 записей"), QStringLiteral("Последние 10 записей"),
                                          QStringLiteral("Заданный диапазон данных")},
                                         this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    RadioGroup1->setGeometry(16, 62, 260, 140);
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Индекс записи начала чтения"), QRect(300, 70, 300, 20));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(300, 92, 160, 24);
    Label4 = MakeLabel(this, "Label4", QStringLiteral("Количество записей для чтения"), QRect(300, 130, 300, 20));
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(300, 152, 160, 24);
    BitBtn1 = MakeButton(this, "BitBtn1", "Принять", QRect(170, 216, 110, 30));
    BitBtn2 = MakeButton(this, "BitBtn2", "Выход", QRect(350, 216, 110, 30));
    qvr::InstallDigitKeyFilter(Edit1);
    qvr::InstallDigitKeyFilter(Edit2);
    qvr::EnterMovesTo(Edit1, Edit2);
    qvr::EnterMovesTo(Edit2, BitBtn1);
    RadioGroup1->OnClick = [this](int i) { RadioGroup1Click(i); };
    connect(BitBtn1, &QPushButton::clicked, this, &TFormIndex::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFormIndex::BitBtn2Click);
}

void TFormIndex::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormIndex::FormShow() {
    setFixedSize(634, 260);
    switch (Log) {
    case 0: setWindowTitle(QStringLiteral("Индексы архивных записей диагностики")); break;
    case 1: setWindowTitle(QStringLiteral("Индексы архивных записей о вмешательствах")); break;
    case 5: setWindowTitle(QStringLiteral("Индексы архивных записей оценок качества калибровки хроматографа")); break;
    default: break;
    }
    Label1->setText(QStringLiteral("Индекс самой старой записи в архиве:  %1").arg(Oldest));
    Label2->setText(QStringLiteral("Индекс последней записи в архиве:  %1").arg(Newest));
    RadioGroup1->SetItemIndex(ArchivePeriodSettings.ind_kind);
}

void TFormIndex::RadioGroup1Click(int item) {
    ArchivePeriodSettings.ind_kind = item;
    if (item == 4) {
        Edit1->clear();
        Edit2->clear();
        Edit1->setEnabled(true);
        Edit2->setEnabled(true);
        Edit1->setFocus();
        return;
    }
    // A newest index below the oldest leaves nothing to offer (count 0), which the accept
    // refuses, rather than a wrapped-around count.
    const uint64_t available = Newest >= Oldest ? uint64_t(Newest) - Oldest + 1 : 0;
    uint64_t start = Oldest, count = available;
    const uint64_t last[] = {0, 100, 50, 10};
    if (item >= 1 && item <= 3 && available >= last[item]) {
        start = uint64_t(Newest) - (last[item] - 1);
        count = last[item];
    }
    Edit1->setText(QString::number(start));
    Edit2->setText(QString::number(count));
    Edit1->setEnabled(false);
    Edit2->setEnabled(false);
    BitBtn1->setFocus();
}

void TFormIndex::BitBtn1Click() {
    uint64_t start = 0, count = 0;
    if (Edit1->text().trimmed().isEmpty()) {
        qvr::InputError("Не введен индекс записи начала чтения", "");
        Edit1->setFocus();
        return;
    }
    if (!EditNumber(Edit1, start) || start < Oldest || start > Newest) {
        qvr::InputError("Нелогичное значение индекса записи начала чтения",
                        "(см. значения индексов начала и конца архива).");
        Edit1->setFocus();
        return;
    }
    if (Edit2->text().trimmed().isEmpty()) {
        qvr::InputError("Не введено количество записей для чтения", "");
        Edit2->setFocus();
        return;
    }
    // A count too large for 64 bits is as good as "everything left" and is cut below.
    const bool numeric = EditNumber(Edit2, count);
    if (!numeric) {
        bool any = false;
        for (QChar c : Edit2->text().trimmed()) any = any || !c.isDigit();
        if (any) {
            qvr::InputError("Нелогичное значение количества записей для чтения", "");
            Edit2->setFocus();
            return;
        }
        count = UINT64_MAX;
    }
    if (count == 0) {
        qvr::InputError("Нелогичное значение количества записей для чтения", "");
        Edit2->setFocus();
        return;
    }
    const uint64_t left = uint64_t(Newest) - start + 1;
    if (count > left) count = left;
    if (count > UINT32_MAX) count = UINT32_MAX;  // a range of all 2^32 indexes
    First = uint32_t(start);
    Count = uint32_t(count);
    Accepted = 1;
    accept();
}

void TFormIndex::BitBtn2Click() { reject(); }
