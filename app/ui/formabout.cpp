#include "app/ui/formabout.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include "app/rd_wr_ini.h"

namespace {

const char* const kGasMolar[TFormMean::kGasPanels] = {
    " PV1  - Суммарная молярная доля гексана и б.т.с.",
    " PV2  - Молярная доля пропана (C3H8)",
    " PV3  - Молярная доля и-бутана (i-C4H10)",
    " PV4  - Молярная доля н-бутана (n-C4H10)",
    " PV5  - Молярная доля нео-пентана (C5H12)",
    " PV6  - Молярная доля и-пентана (i-C5H12)",
    " PV7  - Молярная доля  н-пентана (n-C5H12)",
    " PV8  - Молярная доля азота (N2)",
    " PV9  - Молярная доля метана (CH4)",
    " PV10 - Молярная доля диоксида углерода (CO2)",
    " PV11 - Молярная доля  этана (C2H6)",
    " PV12 - Удельная Тсг высшая <реального газа>",
    " PV13 - Хроматографическая  плотность при 20°",
    " PV14 - Число Воббе высшее при 20°С и 101,325 кПа",
    " PV15 - Фактор сжимаемости",
    " PV16 - Сумма молярных долей всех компонентов",
    " PV17 - Температура газа",
    " PV18 - Молярная доля кислорода (О2)",
    " PV19 - Удельная Тсг низшая <реального газа>",
    " PV20 - Относительная плотность <реального газа>",
};

const char* const kGasVolume[TFormMean::kGasPanels] = {
    " PV1  - Суммарная объемная доля гексана и б.т.с.",
    " PV2  - Объемная доля пропана (C3H8)",
    " PV3  - Объемная доля и-бутана (i-C4H10)",
    " PV4  - Объемная доля н-бутана (n-C4H10)",
    " PV5  - Объемная доля нео-пентана (C5H12)",
    " PV6  - Объемная доля и-пентана (i-C5H12)",
    " PV7  - Объемная доля  н-пентана (n-C5H12)",
    " PV8  - Объемная доля азота (N2)",
    " PV9  - Объемная доля метана (CH4)",
    " PV10 - Объемная доля диоксида углерода (CO2)",
    " PV11 - Объемная доля  этана (C2H6)",
    " PV12 - Удельная Тсг высшая <реального газа>",
    " PV13 - Хроматографическая  плотность при 20°",
    " PV14 - Число Воббе высшее при 20°С и 101,325 кПа",
    " PV15 - Фактор сжимаемости",
    " PV16 - Сумма объемных долей всех компонентов",
    " PV17 - Температура газа",
    " PV18 - Объемная доля кислорода (О2)",
    " PV19 - Удельная Тсг низшая <реального газа>",
    " PV20 - Относительная плотность <реального газа>",
};

const char* const kAbbreviations[TFormMean::kPanels - TFormMean::kGasPanels] = {
    " НР   - Необходимость рассылки",
    " ЗН   - Зона нечувствительности",
    " НАУ  - Нижняя аварийная уставка",
    " ВАУ  - Верхняя аварийная уставка",
    " НПУ  - Нижняя предупредительная уставка",
    " ВПУ  - Верхняя предупредительная уставка",
    " НДП  - Нижний допускаемый предел",
    " ВДП  - Верхний допускаемый предел",
    " ЗП   - Зона параметра",
    " МД   - Молярная доля",
    " Тсг - Теплота сгорания",
    " V   - Объем",
    " РГ   - Расход газа",
    " ВРГ  - Вычислитель расхода газа",
    " т/п  - Трубопровод",
    " б.т.с. - Более тяжелые составляющие",
    " с.у. - Стандартные условия",
};

}  // namespace

namespace qvr {

const char* LegendText(int index, int composition) {
    if (index < 0 || index >= TFormMean::kPanels) return "";
    if (index < TFormMean::kGasPanels) return composition == 1 ? kGasVolume[index] : kGasMolar[index];
    return kAbbreviations[index - TFormMean::kGasPanels];
}

}  // namespace qvr

// ---------------------------------------------------------------- TFormAbout

TFormAbout::TFormAbout(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("О программе"));
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(206, 24, 128, 128);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(96, 96));

    ProgramName = new QLabel(QStringLiteral("qvr_Torvane_370"), this);
    ProgramName->setObjectName(QStringLiteral("ProgramName"));
    ProgramName->setGeometry(20, 170, 500, 36);
    ProgramName->setAlignment(Qt::AlignCenter);
    QFont big = ProgramName->font();
    big.setPixelSize(19);  // 14 pt
    big.setBold(true);
    ProgramName->setFont(big);

    VersionLabel = new QLabel(QStringLiteral("Версия     13.01"), this);
    VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
    VersionLabel->setGeometry(20, 214, 500, 24);
    VersionLabel->setAlignment(Qt::AlignCenter);

    MakerDetails = new QLabel(this);
    MakerDetails->setObjectName(QStringLiteral("MakerDetails"));
    MakerDetails->setGeometry(40, 260, 460, 170);
    MakerDetails->setAlignment(Qt::AlignCenter);
    MakerDetails->setWordWrap(true);
    MakerDetails->setFrameShape(QFrame::Panel);
    MakerDetails->setFrameShadow(QFrame::Sunken);
    MakerDetails->setText(QStringLiteral(
        "Сервисная программа контроллера качества газа\n\n"
        "Настройка параметров контроллера, чтение архивов и журналов,\n"
        "отчеты о качестве газа\n\n"
        "По вопросам обслуживания обращайтесь\nк поставщику оборудования"));

    BitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(210, 468, 120, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormAbout::BitBtn1Click);
}

void TFormAbout::FormShow() {
    setFixedSize(540, 546);
    BitBtn1->setFocus();
}

void TFormAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormAbout::BitBtn1Click() { accept(); }

// ---------------------------------------------------------------- TFormMean

TFormMean::TFormMean(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Условные обозначения, принятые в программе"));
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setGeometry(8, 8, 406, 464);
    ScrollBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* host = new QWidget;
    auto* column = new QVBoxLayout(host);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(1);
    for (int i = 0; i < kPanels; ++i) {
        auto* panel = new QLabel(host);
        panel->setObjectName(QStringLiteral("pn%1").arg(i + 1));
        panel->setFrameShape(QFrame::Panel);
        panel->setFrameShadow(QFrame::Raised);
        panel->setFixedHeight(24);
        column->addWidget(panel);
    }
    ScrollBox1->setWidget(host);
    ScrollBox1->setWidgetResizable(true);
    // The panels are kept in an array, found by their names.
    for (int i = 0; i < kPanels; ++i) pn[i] = host->findChild<QLabel*>(QStringLiteral("pn%1").arg(i + 1));

    BitBtn1 = new QPushButton(QStringLiteral("Выход"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(151, 484, 120, 30);
    connect(BitBtn1, &QPushButton::clicked, this, &TFormMean::BitBtn1Click);
}

void TFormMean::FormShow() {
    setFixedSize(422, 540);
    const int composition = ReportSettings.prz_composition;
    for (int i = 0; i < kPanels; ++i)
        if (pn[i]) pn[i]->setText(QString::fromUtf8(qvr::LegendText(i, composition)));
    ScrollBox1->verticalScrollBar()->setValue(0);
    BitBtn1->setFocus();
}

void TFormMean::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TFormMean::BitBtn1Click() { accept(); }
