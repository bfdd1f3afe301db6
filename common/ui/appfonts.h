// The fonts the program draws with. The forms and the printed pages keep positions and sizes
// drawn for "MS Sans Serif" 8 pt on screen and Arial / Times New Roman on paper, so those
// names resolve to the metric-compatible Liberation faces whatever else the machine has.
#pragma once

namespace qvr {

// Pixel size of the forms' font: 8 pt at 96 dots per inch.
inline constexpr int kFormFontPixels = 11;

// Maps the original font names to the metric-compatible faces and makes "MS Sans Serif"
// at kFormFontPixels the default font of every widget. Call once, after the application
// object exists and before the first window.
void InstallProgramFonts();

}  // namespace qvr
