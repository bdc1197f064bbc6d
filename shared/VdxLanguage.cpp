#include "shared/VdxLanguage.h"

namespace vdx {

int LanguageIndex = 0;

namespace {

// The German column of these rows has always held the word "German".
const std::array<std::string, kLanguageCount> kClose = {"Sluiten", "German", "Close",
                                                        "St\xE4"
                                                        "ng"};
const std::array<std::string, kLanguageCount> kCancel = {"Annuleren", "German", "Cancel", "Avbryt"};
const std::array<std::string, kLanguageCount> kHelp = {"Help", "German", "Help",
                                                       "Hj\xE4"
                                                       "lp"};

} // namespace

const std::array<std::string, kLanguageCount>& LanguageTexts(TLanguageText row) {
    switch (row) {
    case TLanguageText::Close:
        return kClose;
    case TLanguageText::Cancel:
        return kCancel;
    case TLanguageText::Help:
        break;
    }
    return kHelp;
}

const std::string& LanguageText(TLanguageText row) {
    const bool inRange = LanguageIndex >= 0 && LanguageIndex < int(kLanguageCount);
    return LanguageTexts(row)[inRange ? std::size_t(LanguageIndex) : 0];
}

} // namespace vdx
