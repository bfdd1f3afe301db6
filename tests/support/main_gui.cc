#include <QApplication>
#include <gtest/gtest.h>
#include <cstdlib>

#include "common/ui/appfonts.h"
#include "common/ui/appname.h"

int main(int argc, char** argv) {
    // Forms are tested without a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    qvr::InstallProgramFonts();
    qvr::InstallProgramName();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
