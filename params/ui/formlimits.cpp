#include "params/ui/formlimits.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "common/bytes.h"
#include "common/question.h"
#include "common/stringi.h"
#include "common/ui/keyfilters.h"
#include "common/ui/qtext.h"

using qvr::FromUtf8;

namespace {

constexpr int kLimitsWidth = 550;
constexpr int kFlagsWidth = 468;
constexpr int kHeight = 530;
constexpr int kTop = 8;
constexpr int kRowStep = 22;
constexpr int kRowHeight = 21;

const char* const kLimitCaptions[kLimitKindCount] = {
    "Параметры газа. Зона нечувствительности изменений",
    "Нижняя предупредительная уставка параметра газа",
    "Верхняя предупредительная уставка параметра газа",
    "Нижний предел знач. парам. газа, допускаемого к записи в ВРГ",
    "Верхний предел знач. парам. газа, допускаемого к записи в ВРГ",
};

QLabel* RowLabel(QWidget* parent, const QString& name, int i, const QString& text, int x, int width) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name + QString::number(i));
    l->setGeometry(x, kTop + kRowStep * i, width, kRowHeight);
    return l;
}

QString NameOf(int param) { return QString::fromUtf8(GasParamShortNames[param]); }

}  // namespace

// ---------------------------------------------------------------- TFormLimits

TFormLimits::TFormLimits(QWidget* owner) : LinkFormBase(owner) {
    setFixedSize(kLimitsWidth, kHeight);
    for (int i = 0; i < kGasLimitParamCount; ++i) {
        NameLabel[i] = RowLabel(this, QStringLiteral("NameLabel"), i, NameOf(i), 6, 250);
        RangeLabel[i] = RowLabel(this, QStringLiteral("RangeLabel"), i, QString(), 258, 130);
        Edit[i] = new QLineEdit(this);
        Edit[i]->setObjectName(QStringLiteral("Edit%1").arg(i));
        Edit[i]->setGeometry(392, kTop + kRowStep * i, 84, kRowHeight);
        qvr::InstallFloatKeyFilter(Edit[i], 8);
        UnitLabel[i] = RowLabel(this, QStringLiteral("UnitLabel"), i, QString(), 482, 64);
        connect(Edit[i], &QLineEdit::editingFinished, this, [this, i] { EditExit(i); });
        connect(Edit[i], &QLineEdit::textEdited, this, [this, i] { Edited[i] = true; });
    }
    for (int i = 0; i + 1 < kGasLimitParamCount; ++i) setTabOrder(Edit[i], Edit[i + 1]);
    // Oxygen is not edited here.
    NameLabel[kOxygenParam]->setEnabled(false);
    RangeLabel[kOxygenParam]->setEnabled(false);
    Edit[kOxygenParam]->setEnabled(false);
    UnitLabel[kOxygenParam]->setEnabled(false);
}

const GasParamLimitDescr& TFormLimits::Descr(int param) const {
    const int kind = LimitKind < kLimitKindCount ? LimitKind : 0;
    return GasParamLimitTables[kind][param];
}

void TFormLimits::FormShow() {
    ShowFrame(kLimitsWidth, kHeight);
    setWindowTitle(QString::fromUtf8(kLimitCaptions[LimitKind < kLimitKindCount ? LimitKind : 0]));
    for (int i = 0; i < kGasLimitParamCount; ++i) {
        if (i == kOxygenParam) continue;
        const GasParamLimitDescr& d = Descr(i);
        RangeLabel[i]->setText(FromUtf8(" " + qvr::FormatLimitValue(d.min, d.decimals) + " - " +
                                        qvr::FormatLimitValue(d.max, d.decimals)));
        UnitLabel[i]->setText(QString::fromUtf8(d.unit));
        Edit[i]->setText(Data ? FromUtf8(qvr::FormatLimitValue(qvr::GetF32(Data + 4 * i), d.decimals)) : QString());
        Edited[i] = false;
    }
}

void TFormLimits::EditExit(int param) {
    double v = 0;
    if (!qvr::ParseLimitValue(Edit[param]->text().toStdString(), v)) return;
    Edit[param]->setText(FromUtf8(qvr::FormatLimitValue(v, Descr(param).decimals)));
}

void TFormLimits::BitBtn1Click() {
    if (!Data) return;
    for (int i = 0; i < kGasLimitParamCount; ++i) {
        if (i == kOxygenParam || !Edit[i]->text().trimmed().isEmpty()) continue;
        g_QuesKind = qvr::kQuesInputError;
        qvr::ShowQues("Введены не все параметры", "");
        Edit[i]->setFocus();
        return;
    }
    for (int i = 0; i < kGasLimitParamCount; ++i) {
        if (i == kOxygenParam) continue;
        // A row the user left alone keeps the exact value it holds; only an edited row is
        // parsed, and stored even when its text reads as it did when shown ("40" typed over
        // a stored 40.4 shown as "40").
        const bool edited = Edited[i];
        double v = qvr::GetF32(Data + 4 * i);
        // A text that is not a number (a lone minus, a lone 'e') is out of range as well.
        const bool parsed = !edited || qvr::ParseLimitValue(Edit[i]->text().toStdString(), v);
        if (!parsed || !qvr::InGasParamRange(Descr(i), v)) {
            g_QuesKind = qvr::kQuesInputError;
            qvr::ShowQues(std::string("Параметр \"") + GasParamShortNames[i] + " \".",
                          "Вводите значения согласно допустимому диапазону");
            Edit[i]->setFocus();
            return;
        }
        // Stored at once: values before a refused one stay changed.
        if (edited) qvr::PutF32(Data + 4 * i, float(v));
    }
    Finish();
}

// ---------------------------------------------------------------- TFormPrzDistr

TFormPrzDistr::TFormPrzDistr(QWidget* owner) : LinkFormBase(owner) {
    setWindowTitle(QStringLiteral("Необходимость записи  значений параметров газа в ВРГ "));
    setFixedSize(kFlagsWidth, kHeight);
    for (int i = 0; i < kGasLimitParamCount; ++i) {
        NameLabel[i] = RowLabel(this, QStringLiteral("NameLabel"), i, NameOf(i), 6, 270);
        ComboBox[i] = new QComboBox(this);
        ComboBox[i]->setObjectName(QStringLiteral("ComboBox%1").arg(i));
        ComboBox[i]->setGeometry(290, kTop + kRowStep * i, 160, kRowHeight);
        ComboBox[i]->addItem(QStringLiteral(" Не записывать "));
        ComboBox[i]->addItem(QStringLiteral(" Записывать"));
        ComboBox[i]->setCurrentIndex(-1);
    }
    for (int i = 0; i + 1 < kGasLimitParamCount; ++i) setTabOrder(ComboBox[i], ComboBox[i + 1]);
    NameLabel[kOxygenParam]->setEnabled(false);
    ComboBox[kOxygenParam]->setEnabled(false);
}

void TFormPrzDistr::FormShow() {
    ShowFrame(kFlagsWidth, kHeight);
    if (!Data) return;
    for (int i = 0; i < kGasLimitParamCount; ++i) qvr::SelectItem(ComboBox[i], Data[i]);
}

void TFormPrzDistr::BitBtn1Click() {
    if (!Data) return;
    for (int i = 0; i < kGasLimitParamCount; ++i) {
        if (i == kOxygenParam || ComboBox[i]->currentIndex() >= 0) continue;
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Ошибка"), QStringLiteral("Введены не все параметры"),
                        QMessageBox::Ok, this);
        box.setObjectName(QStringLiteral("PrzDistrError"));
        box.exec();
        ComboBox[i]->setFocus();
        return;
    }
    for (int i = 0; i < kGasLimitParamCount; ++i)
        if (i != kOxygenParam) Data[i] = uint8_t(ComboBox[i]->currentIndex());
    Finish();
}
