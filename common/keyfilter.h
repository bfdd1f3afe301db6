// Per-key input rules of numeric edit fields. Each rule looks at the typed character (and,
// for float fields, the field's text and caret) and either lets it through, replaces it,
// or refuses it by clearing it to 0. The text itself is never changed here.
#pragma once
#include <string_view>

namespace qvr {

// The decimal separator of every number the program shows or accepts.
constexpr char kDecimalSeparator = '.';

// Integer fields: '0'..'9', backspace (8), '%' (0x25) and the apostrophe (0x27) pass;
// any other key is cleared to 0. A field that still does not parse as a number is
// refused by its form as out of range.
void DigitKeyFilter(char& key);

// Float fields of at most `limit` characters: digits, one separator ('.' or ',' typed,
// stored as the separator), one 'e' at the end of a non-empty number, a leading '-',
// one sign right behind the 'e' and at most two exponent digits. Backspace, '%' and the
// apostrophe always pass. `pos` is the caret position (0 = before the first character).
void FloatKeyFilter(std::string_view text, int pos, char& key, int limit);

}  // namespace qvr
