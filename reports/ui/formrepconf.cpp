#include "reports/ui/formrepconf.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/rd_wr_ini.h"
#include "common/question.h"

TRepRadioGroup::TRepRadioGroup(const QString& title, std::initializer_list<const char*> items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    int id = 0;
    for (const char* text : items) {
        auto* b = new QRadioButton(QString::fromUtf8(text), this);
        group_->addButton(b, id++);
        layout->addWidget(b);
    }
}

int TRepRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRepRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* b = group_->button(index)) {
        b->setChecked(true);
        return;
    }
    group_->setExclusive(false);
    for (QAbstractButton* b : group_->buttons()) b->setChecked(false);
    group_->setExclusive(true);
}

QRadioButton* TRepRadioGroup::Item(int index) const { return qobject_cast<QRadioButton*>(group_->button(index)); }
int TRepRadioGroup::Count() const { return int(group_->buttons().size()); }

const int TFormRepConf::kDecimalsIndex[7] = {0, 18, 11, 12, 13, 14, 19};

TFormRepConf::TFormRepConf(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormRepConf"));
    setWindowTitle(QStringLiteral("Формат представления данных"));
    setFixedSize(640, 520);

    RadioGroup1 = new TRepRadioGroup(QStringLiteral("Показ компонентного состава"), {" Молярная доля", " Объемная доля"}, this);
    RadioGroup1->setGeometry(8, 8, 300, 80);
    RadioGroup2 = new TRepRadioGroup(QStringLiteral("Единица измерений тепла"), {" МДж", " ккал"}, this);
    RadioGroup2->setGeometry(8, 96, 300, 80);
    RadioGroup3 = new TRepRadioGroup(QStringLiteral("Формула расчета теплоты сгорания"), {" По ИСО", " По ГОСТ"}, this);
    RadioGroup3->setGeometry(8, 184, 300, 80);
    RadioGroup4 = new TRepRadioGroup(QStringLiteral("Корректировка доли компонента газа"),
                                     {" Без корректировки", " По методу абс. калибровки"}, this);
    RadioGroup4->setGeometry(8, 272, 300, 80);
    RadioGroup5 = new TRepRadioGroup(QStringLiteral("Форма отчетов"), {" Суточный сертификат", " Суточный паспорт"}, this);
    RadioGroup5->setGeometry(8, 360, 300, 80);
    const char* groupNames[5] = {"RadioGroup1", "RadioGroup2", "RadioGroup3", "RadioGroup4", "RadioGroup5"};
    TRepRadioGroup* groups[5] = {RadioGroup1, RadioGroup2, RadioGroup3, RadioGroup4, RadioGroup5};
    for (int i = 0; i < 5; ++i) groups[i]->setObjectName(QString::fromLatin1(groupNames[i]));

    auto* box = new QGroupBox(QStringLiteral(" Точность представления данных хроматографа "), this);
    box->setGeometry(320, 8, 312, 432);
    const char* captions[7] = {"Значения концентраций составляющих газа",
                               "Низшая теплота сгорания",
                               "Высшая теплота сгорания",
                               "Плотность",
                               "Число Воббе",
                               "Коэффициент сжимаемости",
                               "Относительная плотность"};
    for (int i = 0; i < 7; ++i) {
        auto* l = new QLabel(QString::fromUtf8(captions[i]), box);
        l->setWordWrap(true);
        l->setGeometry(8, 28 + 56 * i, 220, 40);
        ComboBox[i] = new QComboBox(box);
        ComboBox[i]->setObjectName(QStringLiteral("ComboBox%1").arg(i + 1));
        ComboBox[i]->addItems({QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")});
        ComboBox[i]->setGeometry(236, 34 + 56 * i, 64, 24);
    }

    BitBtn1 = new QPushButton(QStringLiteral("Принять"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(180, 472, 120, 28);
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton(QStringLiteral("Отменить"), this);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(340, 472, 120, 28);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormRepConf::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
}

void TFormRepConf::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

void TFormRepConf::FormShow() {
    ReportSettingsRecord& rs = ReportSettings;
    RadioGroup1->SetItemIndex(rs.prz_composition);
    RadioGroup2->SetItemIndex(rs.thermal_unit);
    RadioGroup3->SetItemIndex(rs.calc_formula);
    RadioGroup4->SetItemIndex(rs.metan_corr);
    RadioGroup5->SetItemIndex(rs.report_kind);
    for (uint8_t& f : rs.fr)
        if (f < 2 || f > 5) f = 4;
    for (int i = 0; i < 7; ++i) ComboBox[i]->setCurrentIndex(rs.fr[kDecimalsIndex[i]] - 2);
}

void TFormRepConf::BitBtn1Click() {
    for (TRepRadioGroup* g : {RadioGroup1, RadioGroup2, RadioGroup3, RadioGroup4, RadioGroup5}) {
        if (g->ItemIndex() < 0) {
            g_QuesKind = qvr::kQuesInputError;
            qvr::ShowQues("Введены не все данные", "");
            return;
        }
    }
    ReportSettingsRecord& rs = ReportSettings;
    rs.prz_composition = uint8_t(RadioGroup1->ItemIndex());
    rs.thermal_unit = uint8_t(RadioGroup2->ItemIndex());
    rs.calc_formula = uint8_t(RadioGroup3->ItemIndex());
    rs.metan_corr = uint8_t(RadioGroup4->ItemIndex());
    rs.report_kind = uint8_t(RadioGroup5->ItemIndex());
    const uint8_t conc = uint8_t(ComboBox[0]->currentIndex() + 2);
    for (int i = 0; i <= 10; ++i) rs.fr[i] = conc;
    rs.fr[17] = conc;  // oxygen is a concentration too
    for (int i = 1; i < 7; ++i) rs.fr[kDecimalsIndex[i]] = uint8_t(ComboBox[i]->currentIndex() + 2);
    Accepted = 1;
    accept();
}
