#pragma once
// The one reader of the program's version information, and the strings the
// About dialog and the application title are made from.

#include "controls/storage/FcVersionInfo.h"

#include <string>
#include <string_view>

namespace vdx {

class TVersionInfo {
public:
    // Reads the version information of filePath; empty: the running program.
    explicit TVersionInfo(const std::string& filePath = {});

    // The "FileVersion" string.
    std::string GetFileVersion() const;
    // The characters before the second "."; empty when there are fewer than two.
    std::string GetShortVersion() const;
    // The characters after the second "."; the whole version when there are
    // fewer than two dots.
    std::string GetBuild() const;
    // The application title := the "ProductName" string, unless that is empty.
    void SetApplicationTitle() const;

    // 1-based position of the second "." in s; -1 when s has fewer than two.
    static int SecondDotPos(std::string_view s);

    const TFcVersionInfo& Reader() const noexcept { return m_reader; }

private:
    TFcVersionInfo m_reader;
};

} // namespace vdx
