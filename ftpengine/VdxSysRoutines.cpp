#include "ftpengine/VdxSysRoutines.h"

#include "platform/os/ascii.h"
#include "platform/os/host.h"
#include "platform/os/registry.h"
#include "platform/os/winfile.h"
#include "shared/VdxMisc.h"

#include <ctime>

namespace vdx {

namespace {

const char* const kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Room the computer name has, as the platform call gives it a buffer of 16
// characters with its terminating zero.
constexpr std::size_t kMaxComputerNameLength = 15;

os::RootKey RunRoot(bool localMachine) {
    return localMachine ? os::RootKey::LocalMachine : os::RootKey::CurrentUser;
}

} // namespace

std::string DateTimeToLogStr(os::TDateTime value) {
    const os::DateTimeParts p = os::DecodeDateTime(value);
    return IntToStrPad(p.year, 4) + '-' + IntToStrPad(p.month, 2) + '-' + IntToStrPad(p.day, 2) +
           ' ' + IntToStrPad(p.hour, 2) + ':' + IntToStrPad(p.minute, 2) + ':' +
           IntToStrPad(p.second, 2);
}

std::int32_t GetFileDate(const std::string& fileName) {
    const auto entries = os::FindFiles(fileName);
    if (entries.empty())
        return -1;
    const std::time_t seconds = os::FileTimeToTimespec(entries.front().times.lastWrite).tv_sec;
    std::tm local{};
    if (!::localtime_r(&seconds, &local))
        return -1;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107)
        return -1;
    const std::uint32_t date = static_cast<std::uint32_t>(
        ((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    const std::uint32_t time = static_cast<std::uint32_t>((local.tm_hour << 11) |
                                                          (local.tm_min << 5) | (local.tm_sec / 2));
    return static_cast<std::int32_t>((date << 16) | time);
}

std::string GetLocalComputerName() {
    std::string name = os::LocalHostName();
    return name.size() > kMaxComputerNameLength ? std::string() : name;
}

std::string GetHostIPAddress(const std::string& hostName) {
    return os::FirstIPv4Address(hostName);
}

bool SetAutoRun(const std::string& name, const std::string& command, bool localMachine) {
    os::TRegistry registry(RunRoot(localMachine));
    if (!registry.OpenKey(kRunKey, true))
        return false;
    if (!command.empty()) {
        registry.WriteString(name, command);
        return true;
    }
    return registry.DeleteValue(name);
}

bool IsAutoRunSet(const std::string& name, const std::string& command, bool localMachine) {
    os::TRegistry registry(RunRoot(localMachine));
    if (!registry.OpenKeyReadOnly(kRunKey))
        return false;
    return os::EqualsIgnoringAsciiCase(registry.ReadString(name), command);
}

} // namespace vdx
