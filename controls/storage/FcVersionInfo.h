#pragma once
// Version information of a program file: ten named strings, the file version
// numbers and the build flags. Linux programs have no version resource, so
// vdx_embed_version (cmake/VdxVersion.cmake) puts a version block into an ELF
// section of the program, ".vdxversion", and this reader finds it in any ELF
// file through the section headers.
//
// Version block (all numbers little endian):
//   "VDXVERS1"                     8 bytes
//   u32 file version MS, u32 file version LS   (major.minor, release.build)
//   u32 file flags                 1 debug, 2 pre-release, 8 private, $20 special
//   u32 count, then count times: u32 name length, name, u32 value length, value
// Bytes after the last string are padding and are ignored.

#include <QObject>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vdx {

inline constexpr std::string_view kVersionSectionName = ".vdxversion";
inline constexpr std::string_view kVersionBlockMagic = "VDXVERS1";
inline constexpr std::size_t kMaxVersionBlockSize = 1 << 20;

// The ten names, index 0 to 9.
inline constexpr std::array<std::string_view, 10> kVersionStringNames = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

inline constexpr std::uint32_t VS_FF_DEBUG = 0x01;
inline constexpr std::uint32_t VS_FF_PRERELEASE = 0x02;
inline constexpr std::uint32_t VS_FF_PRIVATEBUILD = 0x08;
inline constexpr std::uint32_t VS_FF_SPECIALBUILD = 0x20;

struct TVersionBlock {
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t FileFlags = 0;
    std::vector<std::pair<std::string, std::string>> Strings; // name, value

    friend bool operator==(const TVersionBlock&, const TVersionBlock&) = default;
};

std::string EncodeVersionBlock(const TVersionBlock& block);
// nullopt for bytes that are not a whole version block.
std::optional<TVersionBlock> DecodeVersionBlock(std::string_view bytes);

// The contents of the section called name in the ELF file at path (32 or 64
// bit, either byte order). nullopt when the file cannot be read, is not ELF,
// has no such section with contents, or the section is larger than maxSize.
std::optional<std::string> ReadElfSection(const std::string& path, std::string_view name,
                                          std::size_t maxSize = kMaxVersionBlockSize);

// "Value Not Available": every string of a file without version information.
inline constexpr std::string_view kValueNotAvailable = "Value Not Available";

class TFcVersionInfo : public QObject {
    Q_OBJECT
public:
    // Reads the version information at once (the running program's).
    explicit TFcVersionInfo(QObject* owner = nullptr);

    // Empty before the first load means the running program; after loading
    // it holds the file read.
    const std::string& FilePath() const noexcept { return m_filePath; }
    // Reads the new file's information at once, unless loading.
    virtual void SetFilePath(const std::string& value);

    // While loading (between BeginLoading and Loaded) a new FilePath is only
    // stored; Loaded reads it.
    void BeginLoading() noexcept { m_loading = true; }
    virtual void Loaded();

    // Reads FilePath. A file without a readable version block gives ten
    // "Value Not Available" strings, zero numbers and no flags.
    void LoadVersionInfo();
    // No status pane shows version strings in this system: nothing to update.
    void UpdateStatusPanes() {}

    // Throws EListError "List index out of bounds (index)" outside 0..9.
    std::string GetVersionString(int index) const;
    std::string CompanyName() const { return GetVersionString(0); }
    std::string FileDescription() const { return GetVersionString(1); }
    std::string FileVersion() const { return GetVersionString(2); }
    std::string InternalName() const { return GetVersionString(3); }
    std::string LegalCopyright() const { return GetVersionString(4); }
    std::string LegalTrademarks() const { return GetVersionString(5); }
    std::string OriginalFilename() const { return GetVersionString(6); }
    std::string ProductName() const { return GetVersionString(7); }
    std::string ProductVersion() const { return GetVersionString(8); }
    std::string Comments() const { return GetVersionString(9); }

    bool VersionInfoExists() const noexcept { return m_exists; }
    std::uint16_t VersionMajor() const noexcept { return m_major; }
    std::uint16_t VersionMinor() const noexcept { return m_minor; }
    std::uint16_t VersionRelease() const noexcept { return m_release; }
    std::uint16_t VersionBuild() const noexcept { return m_build; }
    bool DebugBuild() const noexcept { return m_debug; }
    bool PreRelease() const noexcept { return m_preRelease; }
    bool PrivateBuild() const noexcept { return m_privateBuild; }
    bool SpecialBuild() const noexcept { return m_specialBuild; }

private:
    std::string m_filePath;
    bool m_loading = false;
    std::vector<std::string> m_strings;
    bool m_exists = false;
    std::uint16_t m_major = 0;
    std::uint16_t m_minor = 0;
    std::uint16_t m_release = 0;
    std::uint16_t m_build = 0;
    bool m_debug = false;
    bool m_preRelease = false;
    bool m_privateBuild = false;
    bool m_specialBuild = false;
};

} // namespace vdx
