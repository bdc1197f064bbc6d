#include "VdxFTPServerDataModule.h"

#include "VdxSysRoutines.h"
#include "platform/os/datetime.h"

#include <algorithm>

namespace vdx {

TVFTPServerDataModule::~TVFTPServerDataModule() {
    m_active = false;
    // A destructor cannot report a log write that failed; the program is
    // ending and the line has nowhere else to go.
    try {
        Log(TFtpEventKind::Stopped);
    } catch (...) {
    }
}

void TVFTPServerDataModule::SetActive(bool value) {
    m_active = value;
    if (value)
        Log(TFtpEventKind::Started);
}

void TVFTPServerDataModule::ApplySettings(const TSettings& settings) {
    m_settings = settings;
}

bool TVFTPServerDataModule::QueryLogin(const std::string& userName, const std::string& password,
                                       const std::string& peerIP) {
    std::string rootDir;
    bool allowed = false;
    if (OnAccessQuery)
        OnAccessQuery(TFtpEventKind::Login, rootDir, allowed, std::string(), peerIP, password,
                      userName);
    return allowed;
}

void TVFTPServerDataModule::Log(TFtpEventKind kind, const std::string& userName,
                                const std::string& peerIP, const std::string& detail) {
    if (!OnLogLine)
        return;
    std::string line = DateTimeToLogStr(os::Now());
    line += '\t';
    line += userName;
    line += '\t';
    line += peerIP;
    line += '\t';
    line += FtpEventLabel(kind);
    line += '\t';
    line += detail;
    OnLogLine(line);
}

void TVFTPServerDataModule::Log(TFtpEventKind kind) {
    Log(kind, {}, {}, {});
}

void TVFTPServerDataModule::LogException(const std::string& message) {
    if (OnLogLine)
        OnLogLine(DateTimeToLogStr(os::Now()) + '\t' + message);
}

std::string TVFTPServerDataModule::NormalizePath(std::string_view path) {
    std::string slashed(path);
    std::replace(slashed.begin(), slashed.end(), '\\', '/');
    std::string result;
    result.reserve(slashed.size());
    for (std::size_t i = 0; i < slashed.size(); ++i) {
        result += slashed[i];
        if (slashed[i] == '/' && i + 1 < slashed.size() && slashed[i + 1] == '/')
            ++i;
    }
    return result;
}

std::string TVFTPServerDataModule::StripTrailingDelimiters(std::string_view path) {
    while (!path.empty() && (path.back() == '/' || path.back() == '\\'))
        path.remove_suffix(1);
    return std::string(path);
}

} // namespace vdx
