// Installs the archive and document prints as the views' and commands' print hooks: the
// chromatograph and moisture-analyser archive prints, the one-analysis passport and the
// daily certificate / daily passport. The main window calls it once at start-up.
#pragma once

namespace qvr {

void InstallPrintForms();

}  // namespace qvr
