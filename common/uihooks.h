// Small interfaces through which core code (engine, table layer, readers) reaches the
// user interface without depending on it. The GUI implements them; tests script them.
#pragma once
#include <functional>
#include <string>

namespace qvr {

// A status bar with numbered panels. Texts are UTF-8.
class IStatusBar {
public:
    virtual ~IStatusBar() = default;
    virtual void SetPanelText(int panel, const std::string& text) = 0;
    virtual std::string PanelText(int panel) const = 0;
    virtual void Repaint() {}
};

// One panel of a status bar; a null bar means "no panel".
struct StatusPanelRef {
    IStatusBar* bar = nullptr;
    int panel = 0;
    void SetText(const std::string& text) const {
        if (bar) {
            bar->SetPanelText(panel, text);
            bar->Repaint();
        }
    }
    explicit operator bool() const { return bar != nullptr; }
};

// A progress bar.
class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void SetMax(int max) = 0;
    virtual void SetPosition(int pos) = 0;
};

// Processes pending window messages. Every wait of the core calls this between short
// sleeps so the window stays alive. Without a GUI it does nothing.
void ProcessMessages();
void SetMessagePump(std::function<void()> pump);

// Hourglass cursor around exchanges and blocking waits. Nested calls are counted.
void SetHourglass(bool on);
void SetHourglassHandler(std::function<void(bool)> handler);

// Restores the cursor on every way out of a scope.
class HourglassScope {
public:
    HourglassScope() { SetHourglass(true); }
    ~HourglassScope() { SetHourglass(false); }
    HourglassScope(const HourglassScope&) = delete;
    HourglassScope& operator=(const HourglassScope&) = delete;
};

}  // namespace qvr
