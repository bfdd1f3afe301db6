#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <exception>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Numbers are written and read with '.' whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    try {
        return app.exec();
    } catch (const std::exception& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Ошибка"), QString::fromUtf8(e.what()));
        return 1;
    }
}
