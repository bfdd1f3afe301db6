// Checks a shown form as a user would read it: every visible text must fit its control,
// every control must lie inside its parent, and no two visible sibling controls may overlap.
#pragma once
#include <QString>
#include <QStringList>

class QWidget;

namespace fitcheck {

// One readable line per fault: "<form> <widget>: "<text>" needs WxH px, has WxH px",
// "<form> <widget> leaves its parent ...", "<form> <a> overlaps <b> ...".
// form: a shown top-level window; name: how the findings call it (e.g. the form and its mode).
QStringList Check(QWidget* form, const QString& name);

}  // namespace fitcheck
