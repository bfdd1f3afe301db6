// Per-key input filters of numeric line edits: the rules of common/keyfilter.h applied to
// every typed character. Navigation and editing keys (arrows, Delete, Home, Tab, Enter,
// Esc) and shortcuts (Ctrl+C, Ctrl+V, ...) are not characters and always pass.
#pragma once
#include <QObject>

class QLineEdit;

namespace qvr {

class NumericKeyFilter : public QObject {
    Q_OBJECT
public:
    enum Kind { Digits, Float };
    NumericKeyFilter(Kind kind, int limit, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Kind kind_;
    int limit_;
};

// Integer field: '0'..'9', backspace, '%' and the apostrophe.
void InstallDigitKeyFilter(QLineEdit* edit);
// Float field of at most `limit` characters ('.' or ',' typed become '.').
void InstallFloatKeyFilter(QLineEdit* edit, int limit = 8);

}  // namespace qvr
