#include "platform/ftp/command_args.h"

namespace vdx::ftp {

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    for (;;) {
        const auto end = text.find(' ');
        words.emplace_back(text.substr(0, end));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return words;
}

std::string Join(const std::vector<std::string>& words, std::size_t first, std::size_t last) {
    std::string result;
    for (std::size_t i = first; i < last; ++i) {
        if (i > first)
            result += ' ';
        result += words[i];
    }
    return result;
}

std::vector<std::string> QuotedWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        std::string word;
        if (text[i] == '"') {
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        word += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                word += text[i++];
            }
        } else {
            while (i < text.size() && text[i] != ' ')
                word += text[i++];
        }
        words.push_back(std::move(word));
    }
    return words;
}

std::string QuotePath(std::string_view path) {
    std::string result = "\"";
    for (char c : path) {
        result += c;
        if (c == '"')
            result += '"';
    }
    return result + "\"";
}

} // namespace vdx::ftp
