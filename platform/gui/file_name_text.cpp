#include "platform/gui/file_name_text.h"

#include "platform/gui/ansi_text.h"

#include <QStringList>

#include <vector>

namespace vdx::gui {

namespace {

std::vector<std::string_view> Components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t slash = path.find('/', pos);
        if (slash == std::string_view::npos) {
            parts.push_back(path.substr(pos));
            return parts;
        }
        parts.push_back(path.substr(pos, slash - pos));
        pos = slash + 1;
    }
}

} // namespace

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= bytes.size())
            return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto t = static_cast<unsigned char>(bytes[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (t & 0x3F);
        }
        // Overlong forms, surrogates and code points past U+10FFFF.
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

QString FileNameToQString(std::string_view bytes) {
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return AnsiToQString(bytes);
}

std::string QStringToFileName(const QString& text, std::string_view original) {
    if (text == FileNameToQString(original))
        return std::string(original);
    const QStringList typed = text.split(QLatin1Char('/'));
    const std::vector<std::string_view> before = Components(original);
    std::string out;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        if (i > 0)
            out += '/';
        const std::size_t k = std::size_t(i);
        if (!original.empty() && k < before.size() && typed[i] == FileNameToQString(before[k]))
            out += before[k];
        else
            out += typed[i].toStdString();
    }
    return out;
}

std::string FileNameToAnsi(std::string_view bytes) {
    return QStringToAnsi(FileNameToQString(bytes));
}

} // namespace vdx::gui
