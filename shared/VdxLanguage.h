#pragma once
// The four-language caption table. The texts are 8-bit strings of code page
// 1252 ("St\xE4ng" holds the byte 228); windows convert them at the Qt
// boundary only.

#include <array>
#include <cstddef>
#include <string>

namespace vdx {

// 0 Dutch, 1 German, 2 English, 3 Swedish. Neither program changes it, so
// the Dutch captions apply; GUI thread only.
extern int LanguageIndex;

inline constexpr std::size_t kLanguageCount = 4;

// The rows of the table that this system reads.
enum class TLanguageText { Close, Cancel, Help };

// The four texts of a row, indexed by language.
const std::array<std::string, kLanguageCount>& LanguageTexts(TLanguageText row);

// The text of row in LanguageIndex; an index outside 0..3 reads as Dutch.
const std::string& LanguageText(TLanguageText row);

} // namespace vdx
