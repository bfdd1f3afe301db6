#include "common/keyfilter.h"

namespace qvr {

void DigitKeyFilter(char& key) {
    bool pass = (key >= '0' && key <= '9') || key == 8 || key == 0x25 || key == 0x27;
    if (!pass) key = 0;
}

void FloatKeyFilter(std::string_view text, int pos, char& key, int limit) {
    if (key == 8 || key == 0x25 || key == 0x27) return;
    if (key == '.' || key == ',') key = kDecimalSeparator;
    const bool digit = key >= '0' && key <= '9';
    if (!digit && key != 'e' && key != kDecimalSeparator && key != '+' && key != '-') {
        key = 0;
        return;
    }
    const int len = int(text.size());
    if (len > limit) {
        key = 0;
        return;
    }
    size_t ePos = text.find('e');
    const bool hasE = ePos != std::string_view::npos;
    const int e = hasE ? int(ePos) : -1;
    const bool hasSep = text.find(kDecimalSeparator) != std::string_view::npos;
    bool sgn = false;
    for (size_t i = 1; i < text.size(); ++i)
        if (text[i] == '-' || text[i] == '+') sgn = true;
    const int w = sgn ? 3 : 2;

    bool pass = false;
    if (digit) {
        // Behind the 'e' at most two exponent digits (after an optional sign).
        pass = !hasE || pos <= e || e + w >= len;
    } else if (key == 'e') {
        pass = !hasE && pos == len && len > 0;
    } else if (key == kDecimalSeparator) {
        pass = !hasSep && !(hasE && pos > e);
    } else if (key == '-') {
        if (pos == 0 && !(len > 0 && text[0] == '-'))
            pass = true;
        else
            pass = hasE && !sgn && pos == e + 1;
    } else {  // '+'
        pass = hasE && !sgn && pos == e + 1;
    }
    if (!pass) key = 0;
}

}  // namespace qvr
