// The two report templates (daily and monthly quality report workbooks): headings,
// formats and fixed cells. The program only writes values into them; the build makes them
// with the tool in tools/xltemplates and places them in the program folder.
#pragma once
#include <cstdint>
#include <string>

namespace qvr {

// Writes the template of kind 0 (day) or 1 (month) to path. Throws xlsx::Error on failure.
void BuildXlsTemplate(uint8_t kind, const std::string& path);

}  // namespace qvr
