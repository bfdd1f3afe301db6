#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <exception>

#include "app/ui/formmain.h"
#include "common/ui/appfonts.h"
#include "common/ui/appname.h"

namespace {
// Shows an exception that escaped an event handler and lets the program go on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, applicationName(), QString::fromUtf8(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, applicationName(), QStringLiteral("Неизвестная ошибка"));
        }
        return false;
    }
};
}  // namespace

int main(int argc, char** argv) {
    Application app(argc, argv);
    qvr::InstallProgramName();
    qvr::InstallProgramFonts();
    try {
        TFormMain form;
        form.show();
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, app.applicationName(), QString::fromUtf8(e.what()));
        return 1;
    }
}
