#include "widgets/DigitGlyphs.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace korva {

std::vector<int> DigitGlyphs(int value, bool div10, int picNumber, int picDig) {
    // Work on the text first, then map characters to pictures; 64 bits hold the most negative int.
    std::string text = std::to_string(std::llabs(std::int64_t(value)));
    if (div10 && value != 0) {
        if (text.back() != '0') {
            text.insert(text.size() - 1, 1, '.');
            if (text.front() == '.') {
                text.insert(text.begin(), '0');
            }
        } else {
            text.pop_back(); // 250 reads 25, not 25.0
        }
    }
    if (value < 0) {
        text.insert(text.begin(), '-');
    }

    std::vector<int> glyphs;
    glyphs.reserve(text.size());
    for (char c : text) {
        glyphs.push_back(c == '-' ? picDig + 1 : c == '.' ? picDig : picNumber + (c - '0'));
    }
    return glyphs;
}

} // namespace korva
