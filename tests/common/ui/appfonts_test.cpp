#include <QApplication>
#include <QFontInfo>
#include <gtest/gtest.h>

#include "common/ui/appfonts.h"

// The layouts were drawn for fonts of the original metrics: a machine without the
// metric-compatible faces must fail here rather than print wider text.
TEST(AppFonts, OriginalNamesResolveToMetricCompatibleFaces) {
    const struct {
        const char* name;
        const char* family;
    } cases[] = {{"MS Sans Serif", "Liberation Sans"},
                 {"Arial", "Liberation Sans"},
                 {"Times New Roman", "Liberation Serif"}};
    for (const auto& c : cases) {
        QFont f(QString::fromLatin1(c.name));
        f.setPixelSize(12);
        EXPECT_EQ(QFontInfo(f).family(), QString::fromLatin1(c.family)) << c.name;
    }
    const QFontInfo form(QApplication::font());
    EXPECT_EQ(form.family(), QStringLiteral("Liberation Sans"));
    EXPECT_EQ(form.pixelSize(), qvr::kFormFontPixels);
}
