// The save dialog of the archive and log views, as the chooser SaveViewData runs.
#pragma once
#include "data/chromview.h"

class QWidget;

namespace qvr {

// The chooser of a view's save command: hook when one is installed (tests), otherwise the
// modal save dialog on parent, set up from the request (the replace question is left to
// SaveViewData, which asks it for the path actually written).
DataSaveChooser ViewSaveChooser(QWidget* parent, const DataSaveChooser& hook);

}  // namespace qvr
