#include "ftpdesktop/VdxVersionInfo.h"

#include "platform/gui/message_box.h"

namespace vdx {

namespace {

constexpr int kFileVersionIndex = 2;
constexpr int kProductNameIndex = 7;

} // namespace

TVersionInfo::TVersionInfo(const std::string& filePath) {
    if (!filePath.empty())
        m_reader.SetFilePath(filePath);
}

std::string TVersionInfo::GetFileVersion() const {
    return m_reader.GetVersionString(kFileVersionIndex);
}

int TVersionInfo::SecondDotPos(std::string_view s) {
    const auto first = s.find('.');
    if (first == std::string_view::npos)
        return -1;
    const auto second = s.find('.', first + 1);
    return second == std::string_view::npos ? -1 : int(second) + 1;
}

std::string TVersionInfo::GetShortVersion() const {
    const std::string version = GetFileVersion();
    const int pos = SecondDotPos(version);
    return pos < 0 ? std::string() : version.substr(0, std::size_t(pos - 1));
}

std::string TVersionInfo::GetBuild() const {
    const std::string version = GetFileVersion();
    const int pos = SecondDotPos(version);
    return pos < 0 ? version : version.substr(std::size_t(pos));
}

void TVersionInfo::SetApplicationTitle() const {
    const std::string product = m_reader.GetVersionString(kProductNameIndex);
    if (!product.empty())
        gui::SetApplicationTitle(product);
}

} // namespace vdx
