#include "platform/ftp/listing.h"

#include "platform/os/ascii.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace vdx::ftp {

namespace {

// Date-time values are clamped to 0001-01-01 .. 9999-12-31 23:59:59 so that every entry formats.
constexpr double kFirstDay = -693593.0; // 0001-01-01
constexpr double kLastDay = 2958465.0;  // 9999-12-31
constexpr std::int64_t kMsPerDay = 86'400'000;
// "ls" shows the time of day for entries up to half a Gregorian year old.
constexpr double kRecentDays = 365.2425 / 2;

constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct Civil {
    int year, month, day, hour, minute, second;
};

double Clamped(vdx::os::TDateTime value) {
    if (std::isnan(value))
        return 0;
    return std::clamp(value, kFirstDay, kLastDay + 86399.0 / 86400); // 23:59:59 of the last day
}

// Delphi reading of a date-time: the integer part is the day, the magnitude of the fraction the
// time of day (also for negative values).
Civil ToCivil(vdx::os::TDateTime value) {
    const double v = Clamped(value);
    const double dayPart = std::trunc(v);
    std::int64_t ms = std::llround(std::fabs(v - dayPart) * kMsPerDay);
    ms = std::min(ms, kMsPerDay - 1);

    // Days since 1970-01-01, then the proleptic Gregorian civil date (H. Hinnant's algorithm).
    std::int64_t z = static_cast<std::int64_t>(dayPart) - 25569 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t d = doy - (153 * mp + 2) / 5 + 1;
    const std::int64_t m = mp < 10 ? mp + 3 : mp - 9;
    const std::int64_t y = yoe + era * 400 + (m <= 2 ? 1 : 0);

    const std::int64_t seconds = ms / 1000;
    return Civil{static_cast<int>(y),
                 static_cast<int>(m),
                 static_cast<int>(d),
                 static_cast<int>(seconds / 3600),
                 static_cast<int>(seconds / 60 % 60),
                 static_cast<int>(seconds % 60)};
}

std::string FactTime(vdx::os::TDateTime value) {
    const Civil c = ToCivil(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", c.year, c.month, c.day, c.hour,
                  c.minute, c.second);
    return buf;
}

std::string ListDate(vdx::os::TDateTime value, vdx::os::TDateTime now) {
    const Civil c = ToCivil(value);
    const double age = Clamped(now) - Clamped(value);
    const bool recent = age >= 0 && age < kRecentDays;
    char buf[32];
    if (recent)
        std::snprintf(buf, sizeof buf, "%s %2d %02d:%02d", kMonths[c.month - 1], c.day, c.hour,
                      c.minute);
    else
        std::snprintf(buf, sizeof buf, "%s %2d  %04d", kMonths[c.month - 1], c.day, c.year);
    return buf;
}

// A permission text as exactly three characters.
std::string Triple(const std::string& text) {
    std::string t = text.substr(0, 3);
    t.resize(3, '-');
    return t;
}

bool Allows(const std::string& text, std::size_t pos, char letter) {
    return pos < text.size() && text[pos] == letter;
}

std::string PermFact(const TIdFTPListOutputItem& item) {
    const std::string& owner = item.UnixOwnerPermissions;
    const bool read = Allows(owner, 0, 'r');
    const bool write = Allows(owner, 1, 'w');
    std::string perm;
    if (item.ItemType == TIdDirItemType::ditDirectory) {
        if (write)
            perm += "cd";
        if (Allows(owner, 2, 'x'))
            perm += 'e';
        if (write)
            perm += 'f';
        if (read)
            perm += 'l';
        if (write)
            perm += "mp";
    } else {
        if (write)
            perm += "adf";
        if (read)
            perm += 'r';
        if (write)
            perm += 'w';
    }
    return perm;
}

struct FactName {
    MlsxFact fact;
    std::string_view name;
};
constexpr std::array<FactName, 7> kFactNames = {{{MlsxFact::Type, "type"},
                                                 {MlsxFact::Size, "size"},
                                                 {MlsxFact::Modify, "modify"},
                                                 {MlsxFact::Perm, "perm"},
                                                 {MlsxFact::Create, "create"},
                                                 {MlsxFact::Access, "win32.atime"},
                                                 {MlsxFact::Win32Ea, "win32.ea"}}};

} // namespace

bool IsListableName(std::string_view name) {
    return name.find_first_of("\r\n") == name.npos;
}

MlsxFactSet OfferedFacts(const TIdMLSDFacts& mlsdFacts) {
    MlsxFactSet set{MlsxFact::Type, MlsxFact::Size, MlsxFact::Modify, MlsxFact::Perm};
    if (mlsdFacts.contains(TIdMLSDAttr::mlsdFileCreationTime))
        set.Insert(MlsxFact::Create);
    if (mlsdFacts.contains(TIdMLSDAttr::mlsdFileLastAccessTime))
        set.Insert(MlsxFact::Access);
    if (mlsdFacts.contains(TIdMLSDAttr::mlsdWin32Attributes))
        set.Insert(MlsxFact::Win32Ea);
    return set;
}

std::string FormatFeatFacts(MlsxFactSet offered, MlsxFactSet enabled) {
    std::string text;
    for (const FactName& f : kFactNames) {
        if (!offered.Has(f.fact))
            continue;
        text += f.name;
        if (enabled.Has(f.fact))
            text += '*';
        text += ';';
    }
    return text;
}

MlsxFactSet ParseOptsMlst(std::string_view argument, MlsxFactSet offered) {
    MlsxFactSet selected;
    std::size_t pos = 0;
    while (pos < argument.size()) {
        std::size_t end = argument.find(';', pos);
        if (end == std::string_view::npos)
            end = argument.size();
        const std::string_view name = argument.substr(pos, end - pos);
        for (const FactName& f : kFactNames)
            if (offered.Has(f.fact) && os::EqualsIgnoringAsciiCase(name, f.name))
                selected.Insert(f.fact);
        pos = end + 1;
    }
    return selected;
}

std::string FormatFactNames(MlsxFactSet facts) {
    std::string text;
    for (const FactName& f : kFactNames)
        if (facts.Has(f.fact)) {
            text += f.name;
            text += ';';
        }
    return text;
}

std::string FormatMlsxFacts(const TIdFTPListOutputItem& item, MlsxFactSet enabled) {
    if (!IsListableName(item.FileName))
        return {};
    const bool folder = item.ItemType == TIdDirItemType::ditDirectory;
    std::string line;
    if (enabled.Has(MlsxFact::Type)) {
        line += "type=";
        if (item.FileName == ".")
            line += "cdir";
        else if (item.FileName == "..")
            line += "pdir";
        else
            line += folder ? "dir" : "file";
        line += ';';
    }
    if (enabled.Has(MlsxFact::Size) && !folder)
        line += "size=" + std::to_string(std::max<std::int64_t>(item.Size, 0)) + ';';
    if (enabled.Has(MlsxFact::Modify))
        line += "modify=" + FactTime(item.ModifiedDate) + ';';
    if (enabled.Has(MlsxFact::Perm))
        line += "perm=" + PermFact(item) + ';';
    if (enabled.Has(MlsxFact::Create))
        line += "create=" + FactTime(item.CreationDate) + ';';
    if (enabled.Has(MlsxFact::Access))
        line += "win32.atime=" + FactTime(item.LastAccessDate) + ';';
    if (enabled.Has(MlsxFact::Win32Ea)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%08X", static_cast<unsigned>(item.WinAttribute));
        line += "win32.ea=";
        line += buf;
        line += ';';
    }
    line += ' ';
    line += item.FileName;
    return line;
}

std::string FormatMlsxFacts(const TIdFTPListOutputItem& item, const TIdMLSDFacts& mlsdFacts) {
    return FormatMlsxFacts(item, OfferedFacts(mlsdFacts));
}

std::string FormatListLine(const TIdFTPListOutputItem& item, bool sizeInBlocks,
                           vdx::os::TDateTime now) {
    if (!IsListableName(item.FileName))
        return {};
    const std::string mode = (item.ItemType == TIdDirItemType::ditDirectory ? "d" : "-") +
                             Triple(item.UnixOwnerPermissions) + Triple(item.UnixGroupPermissions) +
                             Triple(item.UnixOthersPermissions);
    char buf[128];
    std::string line;
    if (sizeInBlocks) {
        std::snprintf(buf, sizeof buf, "%4lld ",
                      static_cast<long long>(std::max<std::int64_t>(item.NumberBlocks, 0)));
        line += buf;
    }
    std::snprintf(buf, sizeof buf, "%s %3d %-8s %-8s %8lld %s ", mode.c_str(), 1, "owner", "group",
                  static_cast<long long>(std::max<std::int64_t>(item.Size, 0)),
                  ListDate(item.ModifiedDate, now).c_str());
    line += buf;
    line += item.FileName;
    return line;
}

std::vector<std::string> FormatListing(const TIdFTPListOutput& output, ListingKind kind,
                                       MlsxFactSet enabled, vdx::os::TDateTime now) {
    const bool blocks = output.Switches.find('s') != std::string::npos;
    std::vector<std::string> lines;
    lines.reserve(output.Items.size());
    for (const TIdFTPListOutputItem& item : output.Items) {
        if (!IsListableName(item.FileName))
            continue;
        switch (kind) {
        case ListingKind::List:
            lines.push_back(FormatListLine(item, blocks, now));
            break;
        case ListingKind::Nlst:
            if (item.FileName != "." && item.FileName != "..")
                lines.push_back(item.FileName);
            break;
        case ListingKind::Mlsd:
            lines.push_back(FormatMlsxFacts(item, enabled));
            break;
        }
    }
    return lines;
}

std::vector<std::string> FormatListing(const TIdFTPListOutput& output, ListingKind kind,
                                       const TIdMLSDFacts& mlsdFacts, vdx::os::TDateTime now) {
    return FormatListing(output, kind, OfferedFacts(mlsdFacts), now);
}

} // namespace vdx::ftp
