// The program's name as the windowing system shows it.
#pragma once

namespace qvr {

// The program's own caption (the main window's title), UTF-8.
inline constexpr const char kProgramCaption[] = "Программа обслуживания контроллера  КВР_Torvane_370";

// Names the application by its caption. A window whose caption is empty (most message
// boxes) is shown by the windowing system with the application's name, so the user sees
// the program's caption there, never an internal name.
void InstallProgramName();

}  // namespace qvr
