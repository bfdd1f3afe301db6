// Esc during a modem command. While the modem dialogue waits for a reply (ModemEscWatchActive),
// this application-wide event filter swallows key presses, as the dialogue owns the keyboard
// then, and reports Esc to it (ModemEscPress). The main window installs one on the application.
#pragma once
#include <QObject>

class ModemEscFilter : public QObject {
    Q_OBJECT
public:
    explicit ModemEscFilter(QObject* parent = nullptr);

    // Installs a filter on the application object (once); returns it.
    static ModemEscFilter* Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
