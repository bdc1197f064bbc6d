// Commands on files and folders: folder changes, facts, times, attributes, renames, deletes,
// combining and checksums.

#include "platform/ftp/checksums.h"
#include "platform/ftp/command_args.h"
#include "platform/ftp/control_channel.h"
#include "platform/ftp/ftp_time.h"
#include "platform/ftp/limits.h"
#include "platform/ftp/path_resolver.h"
#include "platform/os/ascii.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace vdx::ftp {

namespace {

std::string Hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string AttributeLetters(std::uint32_t attributes) {
    std::string letters;
    if (attributes & vdx::os::FILE_ATTRIBUTE_READONLY)
        letters += 'R';
    if (attributes & vdx::os::FILE_ATTRIBUTE_HIDDEN)
        letters += 'H';
    if (attributes & vdx::os::FILE_ATTRIBUTE_SYSTEM)
        letters += 'S';
    if (attributes & vdx::os::FILE_ATTRIBUTE_ARCHIVE)
        letters += 'A';
    return letters;
}

bool IsTimestampWord(std::string_view word) {
    return ParseFtpTimestamp(word).has_value();
}

} // namespace

void ControlChannel::CmdPwd(const std::string&) {
    Reply(Code(Reply::PathCreated), QuotePath(m_ctx.CurrentDir) + " is current directory.");
}

void ControlChannel::CmdCwd(const std::string& arg) {
    const auto path = PathArg(arg);
    if (!path)
        return;
    std::string directory = *path;
    if (m_events.OnChangeDirectory &&
        !Guard(Code(Reply::FileUnavailable), [&] { m_events.OnChangeDirectory(m_ctx, directory); }))
        return;
    // What the handler hands back is made absolute and confined like any other path.
    if (auto confined = ResolveFtpPath(m_ctx.CurrentDir, directory))
        m_ctx.CurrentDir = *confined;
    Reply(Code(Reply::FileActionOk), m_verb + " Command successful.");
}

void ControlChannel::CmdCdup(const std::string&) {
    CmdCwd("..");
}

void ControlChannel::CmdMkd(const std::string& arg) {
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnMakeDirectory)))
        return;
    std::string directory = *path;
    if (Guard(Code(Reply::FileUnavailable), [&] { m_events.OnMakeDirectory(m_ctx, directory); }))
        Reply(Code(Reply::PathCreated), kReplyFileActionOk);
}

void ControlChannel::CmdRmd(const std::string& arg) {
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnRemoveDirectory)))
        return;
    std::string directory = *path;
    if (Guard(Code(Reply::FileUnavailable), [&] { m_events.OnRemoveDirectory(m_ctx, directory); }))
        Reply(Code(Reply::FileActionOk), kReplyFileActionOk);
}

void ControlChannel::CmdMlst(const std::string& arg) {
    const auto path = PathArg(arg, true);
    if (!path || !Require(bool(m_events.OnMLST)))
        return;
    TIdFTPListOutput listing;
    if (!Guard(Code(Reply::FileUnavailable), [&] { m_events.OnMLST(m_ctx, *path, listing); }))
        return;
    const std::string facts =
        listing.Items.empty() ? std::string() : FormatMlsxFacts(listing.Items[0], m_ctx.MLSFacts);
    if (facts.empty()) {
        Reply(Code(Reply::FileUnavailable), "File not found.");
        return;
    }
    ReplyBlock(Code(Reply::FileActionOk), "Listing " + *path, {facts}, "End");
}

void ControlChannel::CmdDele(const std::string& arg) {
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnDeleteFile)))
        return;
    if (Guard(Code(Reply::FileUnavailable), [&] { m_events.OnDeleteFile(m_ctx, *path); }))
        Reply(Code(Reply::FileActionOk), kReplyFileActionOk);
}

void ControlChannel::CmdRnfr(const std::string& arg) {
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnRenameFile)))
        return;
    m_ctx.RNFRName = *path;
    Reply(Code(Reply::PendingFurtherInfo), "Requested file action pending further information.");
}

void ControlChannel::CmdRnto(const std::string& arg) {
    const std::string from = std::exchange(m_ctx.RNFRName, std::string());
    if (from.empty()) {
        Reply(Code(Reply::BadSequence), "Bad sequence of commands.");
        return;
    }
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnRenameFile)))
        return;
    if (Guard(Code(Reply::FileUnavailable), [&] { m_events.OnRenameFile(m_ctx, from, *path); }))
        Reply(Code(Reply::FileActionOk), kReplyFileActionOk);
}

void ControlChannel::CmdSize(const std::string& arg) {
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnGetFileSize)))
        return;
    std::int64_t size = -1;
    if (!Guard(Code(Reply::FileUnavailable), [&] { m_events.OnGetFileSize(m_ctx, *path, size); }))
        return;
    if (size < 0)
        Reply(Code(Reply::FileUnavailable), kReplyLocalError);
    else
        Reply(Code(Reply::FileStatus), std::to_string(size));
}

void ControlChannel::CmdMdtm(const std::string& arg) {
    if (arg.empty()) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    // "MDTM <time> <path>" sets the time, unless a file is named by the whole argument.
    const auto blank = arg.find(' ');
    if (blank != std::string::npos && blank + 1 < arg.size()) {
        const auto time = ParseFtpTimestamp(std::string_view(arg).substr(0, blank));
        if (time) {
            const auto whole = PathArg(arg);
            if (!whole)
                return;
            bool exists = false;
            if (m_events.OnFileExistCheck && !Guard(Code(Reply::FileUnavailable), [&] {
                    m_events.OnFileExistCheck(m_ctx, *whole, exists);
                }))
                return;
            if (!exists) {
                const auto path = PathArg(std::string_view(arg).substr(blank + 1));
                if (!path || !Require(bool(m_events.OnSetModifiedTime)))
                    return;
                vdx::os::TDateTime value = *time;
                if (Guard(Code(Reply::FileUnavailable),
                          [&] { m_events.OnSetModifiedTime(m_ctx, *path, value); }))
                    Reply(Code(Reply::DateTimeChanged), "Date/time changed okay.");
                return;
            }
        }
    }
    const auto path = PathArg(arg);
    if (!path || !Require(bool(m_events.OnGetFileDate)))
        return;
    vdx::os::TDateTime date = 0;
    if (!Guard(Code(Reply::FileUnavailable), [&] { m_events.OnGetFileDate(m_ctx, *path, date); }))
        return;
    if (date > 0)
        Reply(Code(Reply::FileStatus), FormatFtpTimestamp(date));
    else
        Reply(Code(Reply::FileUnavailable), kReplyLocalError);
}

void ControlChannel::SetTime(const std::string& arg, bool creation) {
    const auto blank = arg.find(' ');
    const auto time = ParseFtpTimestamp(std::string_view(arg).substr(0, blank));
    if (blank == std::string::npos || blank + 1 >= arg.size() || !time) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const std::string name = arg.substr(blank + 1);
    const auto path = PathArg(name);
    const auto& handler = creation ? m_events.OnSetCreationTime : m_events.OnSetModifiedTime;
    if (!path || !Require(bool(handler)))
        return;
    vdx::os::TDateTime value = *time;
    if (Guard(Code(Reply::FileUnavailable), [&] { handler(m_ctx, *path, value); }))
        Reply(Code(Reply::FileStatus), std::string(creation ? "Create=" : "Modify=") +
                                           FormatFtpTimestamp(value) + "; " + name);
}

void ControlChannel::CmdMfmt(const std::string& arg) {
    SetTime(arg, false);
}

void ControlChannel::CmdMfct(const std::string& arg) {
    SetTime(arg, true);
}

void ControlChannel::CmdComb(const std::string& arg) {
    const std::vector<std::string> names = QuotedWords(arg);
    if (names.size() < 2) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    if (names.size() - 1 > kMaxCombineParts) {
        Reply(Code(Reply::ArgumentSyntaxError),
              "Too many parts (at most " + std::to_string(kMaxCombineParts) + ").");
        return;
    }
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        const auto path = PathArg(name);
        if (!path)
            return;
        paths.push_back(*path);
    }
    // Names are matched without regard to case: two spellings may be one file. A part named
    // twice would be copied twice and deleted once; the target as a part would read itself.
    std::vector<std::string> folded;
    folded.reserve(paths.size());
    for (const std::string& path : paths)
        folded.push_back(os::AsciiLower(path));
    std::sort(folded.begin(), folded.end());
    if (std::adjacent_find(folded.begin(), folded.end()) != folded.end()) {
        Reply(Code(Reply::ArgumentSyntaxError), "A file is named more than once.");
        return;
    }
    if (!Require(bool(m_events.OnCombineFiles)))
        return;
    const std::string target = paths.front();
    paths.erase(paths.begin());
    if (Guard(Code(Reply::FileUnavailable), [&] { m_events.OnCombineFiles(m_ctx, target, paths); }))
        Reply(Code(Reply::FileActionOk), "File Operation Successful");
}

void ControlChannel::Checksum(std::string_view arg, int kindValue) {
    const auto kind = static_cast<ChecksumKind>(kindValue);
    // "name" [start [end]] with the name quoted, or the whole argument as the name.
    std::string name(arg);
    std::vector<std::string> numbers;
    if (!arg.empty() && arg.front() == '"') {
        const auto close = arg.find('"', 1);
        if (close == std::string_view::npos) {
            Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
            return;
        }
        name = arg.substr(1, close - 1);
        for (const std::string& word : QuotedWords(arg.substr(close + 1)))
            numbers.push_back(word);
    }
    std::int64_t start = 0;
    std::optional<std::int64_t> end;
    if (numbers.size() > 2) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const auto value = ParseNumber<std::int64_t>(numbers[i]);
        if (!value) {
            Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
            return;
        }
        if (i == 0)
            start = *value;
        else
            end = *value;
    }
    // A range that ends before it starts has no checksum; an empty one would pass for it.
    if (end && *end < start) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const auto path = PathArg(name);
    if (!path || !Require(m_events.OnCRCFile && ChecksumAvailable(kind)))
        return;
    std::unique_ptr<TStream> stream;
    if (!Guard(Code(Reply::FileUnavailable), [&] { m_events.OnCRCFile(m_ctx, *path, stream); }))
        return;
    if (!stream) {
        Reply(Code(Reply::FileUnavailable), kReplyLocalError);
        return;
    }
    std::optional<std::string> digest;
    bool stopped = false;
    if (!Guard(Code(Reply::FileUnavailable), [&] {
            try {
                digest = ComputeChecksum(kind, *stream, start, end, [this] { return Stopping(); });
            } catch (const ChecksumStopped&) {
                stopped = true;
            }
        }))
        return;
    stream.reset();
    if (stopped)
        return; // the session ends before the next command
    if (!Require(digest.has_value()))
        return;
    Reply(Code(Reply::FileActionOk), *digest);
}

void ControlChannel::CmdXcrc(const std::string& arg) {
    Checksum(arg, static_cast<int>(ChecksumKind::Crc32));
}

void ControlChannel::CmdXmd5(const std::string& arg) {
    Checksum(arg, static_cast<int>(ChecksumKind::Md5));
}

void ControlChannel::CmdXsha1(const std::string& arg) {
    Checksum(arg, static_cast<int>(ChecksumKind::Sha1));
}

void ControlChannel::CmdXsha256(const std::string& arg) {
    Checksum(arg, static_cast<int>(ChecksumKind::Sha256));
}

void ControlChannel::CmdXsha512(const std::string& arg) {
    Checksum(arg, static_cast<int>(ChecksumKind::Sha512));
}

void ControlChannel::CmdSite(const std::string& arg) {
    const CommandLine sub = ParseCommandLine(arg);
    if (sub.verb == "UTIME")
        SiteUtime(sub.argument);
    else if (sub.verb == "ATTRIB")
        SiteAttrib(sub.argument);
    else if (sub.verb == "HELP")
        SiteHelp();
    else
        Reply(m_options.ReplyUnknownSITCommand);
}

void ControlChannel::SiteHelp() {
    ReplyBlock(Code(Reply::HelpMessage),
               "The following SITE commands are recognized:", {"ATTRIB  HELP    UTIME"},
               "End of help.");
}

void ControlChannel::SiteUtime(const std::string& arg) {
    // "<time> <path>", "<path> <time>" (modification time), or the five-word forms
    // "<path> <access> <modified> <created> UTC" and "<access> <modified> <created> <path> UTC".
    const std::vector<std::string> words = Words(arg);
    const std::size_t n = words.size();
    std::string name;
    vdx::os::TDateTime access = 0, modified = 0, created = 0;
    auto timeOf = [](const std::string& word) { return ParseFtpTimestamp(word).value_or(0); };
    // In the five-word forms "0" stands for a time not given; at least one time must be given.
    auto timesAt = [&](std::size_t first) {
        bool given = false;
        for (std::size_t i = first; i < first + 3; ++i) {
            if (IsTimestampWord(words[i]))
                given = true;
            else if (words[i] != "0")
                return false;
        }
        return given;
    };
    if (n >= 5 && os::EqualsIgnoringAsciiCase(words[n - 1], "UTC") && timesAt(0)) {
        access = timeOf(words[0]);
        modified = timeOf(words[1]);
        created = timeOf(words[2]);
        name = Join(words, 3, n - 1);
    } else if (n >= 5 && os::EqualsIgnoringAsciiCase(words[n - 1], "UTC") && timesAt(n - 4)) {
        access = timeOf(words[n - 4]);
        modified = timeOf(words[n - 3]);
        created = timeOf(words[n - 2]);
        name = Join(words, 0, n - 4);
    } else if (n >= 2 && IsTimestampWord(words[0])) {
        modified = timeOf(words[0]);
        name = Join(words, 1, n);
    } else if (n >= 2 && IsTimestampWord(words[n - 1])) {
        modified = timeOf(words[n - 1]);
        name = Join(words, 0, n - 1);
    }
    if (name.empty()) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const auto path = PathArg(name);
    if (!path || !Require(bool(m_events.OnSiteUTIME)))
        return;
    bool authorized = true;
    if (!Guard(Code(Reply::FileUnavailable),
               [&] { m_events.OnSiteUTIME(m_ctx, *path, access, modified, created, authorized); }))
        return;
    if (!authorized)
        Reply(Code(Reply::FileUnavailable), "Permission denied.");
    else
        Reply(Code(Reply::CommandOk), "Date/time changed okay.");
}

void ControlChannel::SiteAttrib(const std::string& arg) {
    // "+R -H <path>" changes single attributes, "<number> <path>" sets them all.
    const std::vector<std::string> words = Words(arg);
    std::size_t first = 0;
    std::optional<std::uint32_t> absolute;
    std::uint32_t set = 0, clear = 0;
    auto bitOf = [](char letter) -> std::uint32_t {
        switch (letter) {
        case 'R':
        case 'r':
            return vdx::os::FILE_ATTRIBUTE_READONLY;
        case 'H':
        case 'h':
            return vdx::os::FILE_ATTRIBUTE_HIDDEN;
        case 'S':
        case 's':
            return vdx::os::FILE_ATTRIBUTE_SYSTEM;
        case 'A':
        case 'a':
            return vdx::os::FILE_ATTRIBUTE_ARCHIVE;
        default:
            return 0;
        }
    };
    for (; first < words.size(); ++first) {
        const std::string& word = words[first];
        if (word.size() >= 2 && (word[0] == '+' || word[0] == '-')) {
            std::uint32_t bits = 0;
            bool valid = true;
            for (std::size_t i = 1; i < word.size(); ++i) {
                const std::uint32_t bit = bitOf(word[i]);
                valid = valid && bit != 0;
                bits |= bit;
            }
            if (!valid)
                break;
            (word[0] == '+' ? set : clear) |= bits;
        } else if (first == 0 && ParseNumber<std::uint32_t>(word)) {
            absolute = ParseNumber<std::uint32_t>(word);
        } else {
            break;
        }
    }
    const std::string name = Join(words, first, words.size());
    if (first == 0 || name.empty()) {
        Reply(Code(Reply::ArgumentSyntaxError), kReplySyntaxArgs);
        return;
    }
    const auto path = PathArg(name);
    if (!path || !Require(bool(m_events.OnSetATTRIB)))
        return;
    std::uint32_t attributes = absolute.value_or(0);
    if (!absolute && m_events.OnMLST) {
        // Single changes apply to the attributes the file has now.
        // A file that cannot be looked up is left to OnSetATTRIB to report.
        TIdFTPListOutput listing;
        try {
            m_events.OnMLST(m_ctx, *path, listing);
        } catch (...) {
            listing.Items.clear();
        }
        if (!listing.Items.empty())
            attributes = listing.Items[0].WinAttribute;
    }
    attributes = (attributes | set) & ~clear;
    bool authorized = true;
    if (!Guard(Code(Reply::FileUnavailable),
               [&] { m_events.OnSetATTRIB(m_ctx, attributes, *path, authorized); }))
        return;
    if (!authorized)
        Reply(Code(Reply::FileUnavailable), "Permission denied.");
    else if (attributes == vdx::os::INVALID_FILE_ATTRIBUTES)
        Reply(Code(Reply::FileUnavailable), "File not found.");
    else
        Reply(Code(Reply::CommandOk),
              "Attributes now " + Hex32(attributes) + " (" + AttributeLetters(attributes) + ").");
}

} // namespace vdx::ftp
