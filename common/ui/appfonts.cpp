#include "common/ui/appfonts.h"

#include <QApplication>
#include <QFont>

namespace qvr {

void InstallProgramFonts() {
    const QString sans = QStringLiteral("Liberation Sans");
    const QString serif = QStringLiteral("Liberation Serif");
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitution(QStringLiteral("Arial"), sans);
    QFont::insertSubstitution(QStringLiteral("Times New Roman"), serif);
    QFont::insertSubstitution(QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"));

    QFont form(QStringLiteral("MS Sans Serif"));
    form.setStyleHint(QFont::SansSerif);
    form.setPixelSize(kFormFontPixels);
    QApplication::setFont(form);
}

}  // namespace qvr
