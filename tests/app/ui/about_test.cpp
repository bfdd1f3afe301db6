// The about box and the legend, offscreen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>

#include "app/rd_wr_ini.h"
#include "app/ui/formabout.h"

TEST(AboutForms, AboutBox) {
    TFormAbout f;
    f.show();
    EXPECT_EQ(f.size(), QSize(540, 546));
    EXPECT_EQ(f.ProgramName->text(), QStringLiteral("qvr_Torvane_370"));
    EXPECT_EQ(f.VersionLabel->text(), QStringLiteral("Версия     13.01"));
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    f.BitBtn1->click();
    EXPECT_FALSE(f.isVisible());
}

TEST(AboutForms, LegendByComposition) {
    const uint8_t saved = ReportSettings.prz_composition;
    ReportSettings.prz_composition = 1;
    {
        TFormMean f;
        f.show();
        EXPECT_EQ(f.size(), QSize(422, 540));
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Условные обозначения, принятые в программе"));
        EXPECT_EQ(f.BitBtn1->text(), QStringLiteral("Выход"));
        for (int i = 0; i < TFormMean::kPanels; ++i) {
            ASSERT_NE(f.pn[i], nullptr) << i;
            EXPECT_EQ(f.pn[i]->objectName(), QStringLiteral("pn%1").arg(i + 1));
        }
        EXPECT_EQ(f.pn[0]->text(), QStringLiteral(" PV1  - Суммарная объемная доля гексана и б.т.с."));
        EXPECT_EQ(f.pn[15]->text(), QStringLiteral(" PV16 - Сумма объемных долей всех компонентов"));
        EXPECT_EQ(f.pn[11]->text(), QStringLiteral(" PV12 - Удельная Тсг высшая <реального газа>"));
        EXPECT_EQ(f.pn[20]->text(), QStringLiteral(" НР   - Необходимость рассылки"));
        EXPECT_EQ(f.pn[36]->text(), QStringLiteral(" с.у. - Стандартные условия"));
    }
    ReportSettings.prz_composition = 0;
    {
        TFormMean f;
        f.show();
        EXPECT_EQ(f.pn[0]->text(), QStringLiteral(" PV1  - Суммарная молярная доля гексана и б.т.с."));
        EXPECT_EQ(f.pn[17]->text(), QStringLiteral(" PV18 - Молярная доля кислорода (О2)"));
        EXPECT_EQ(f.pn[29]->text(), QStringLiteral(" МД   - Молярная доля"));
    }
    ReportSettings.prz_composition = saved;
    EXPECT_STREQ(qvr::LegendText(37, 0), "");
    EXPECT_STREQ(qvr::LegendText(-1, 0), "");
}

// Shown a second time, the legend starts at the top again.
TEST(AboutForms, LegendReopensAtTop) {
    TFormMean f;
    f.show();
    QApplication::processEvents();
    QScrollBar* bar = f.ScrollBox1->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);  // 37 panels do not fit
    bar->setValue(bar->maximum());
    QTimer::singleShot(0, [&f] { f.BitBtn1->click(); });
    f.hide();
    EXPECT_EQ(bar->value(), bar->maximum());
    QTimer::singleShot(0, [&f, bar] {
        EXPECT_EQ(bar->value(), 0);
        f.BitBtn1->click();
    });
    f.exec();
    EXPECT_EQ(bar->value(), 0);
}
