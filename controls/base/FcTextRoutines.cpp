#include "controls/base/FcTextRoutines.h"

#include <algorithm>

namespace vdx {

bool InCharSet(std::uint8_t ch, const TFcCharSet& set) noexcept {
    return (set[ch / 32] >> (ch % 32)) & 1u;
}

char FirstNonBlankChar(std::string_view text) noexcept {
    for (char c : text)
        if (static_cast<unsigned char>(c) > ' ')
            return c;
    return '\0';
}

int CountChar(char ch, std::string_view text) noexcept {
    return int(std::count(text.begin(), text.end(), ch));
}

std::string StripAccelChars(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i + 1 == text.size()) {
            out.push_back(text[i]); // the last character always stays
        } else if (text[i] != '&') {
            out.push_back(text[i]);
        } else if (text[i + 1] == '&') {
            out.push_back('&');
            ++i; // the second "&" of the pair is consumed
        }
    }
    return out;
}

} // namespace vdx
