#include "params/ui/formdistr.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "common/question.h"
#include "common/ui/formwidgets.h"
#include "params/sysparams.h"

namespace {
constexpr int kWidth = 400;
constexpr int kHeight = 148;
}  // namespace

TFormDistr::TFormDistr(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral("Период записи средних за час значений параметров газа в ВРГ"));
    setFixedSize(kWidth, kHeight);
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setGeometry(140, 30, 80, 24);
    for (uint8_t p : hourmean::kPeriods) ComboBox1->addItem(QStringLiteral(" %1").arg(unsigned(p)));
    ComboBox1->setCurrentIndex(-1);
    Label1 = qvr::MakeLabel(this, "Label1", "ч", QRect(228, 32, 30, 22));
}

void TFormDistr::FormShow() {
    ShowFrame(kWidth, kHeight);
    if (!Data) return;
    qvr::SelectItem(ComboBox1, hourmean::PeriodPosition(Data[0]));
}

void TFormDistr::BitBtn1Click() {
    if (!Data) return;
    const int pos = ComboBox1->currentIndex();
    if (pos < 0 || pos >= hourmean::kPeriodCount) {
        g_QuesKind = qvr::kQuesInputError;
        qvr::ShowQues("Не введен период", "");
        ComboBox1->setFocus();
        return;
    }
    Data[0] = hourmean::kPeriods[pos];
    Data[1] = 0;
    Finish();
}
