#pragma once
// One place of the shell namespace, named by an absolute item-ID list or by
// a special-folder number (CSIDL) that becomes a list when it is asked for.
// The shell controls keep every folder property in one; it tells its owner
// of each change through OnChange.

#include "controls/shell/FcShellLocatorStream.h"
#include "controls/shell/FcShellUtils.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vdx {

class TFcShellLocator {
public:
    TFcShellLocator() = default;
    virtual ~TFcShellLocator() = default;
    // Owned by one control; copied with Assign.
    TFcShellLocator(const TFcShellLocator&) = delete;
    TFcShellLocator& operator=(const TFcShellLocator&) = delete;

    // Kind 0: the list (nullptr: the desktop); kind 1: the CSIDL's list,
    // looked up on first use (nullptr while that fails).
    const shell::IdList* IdList();
    // Stores a copy of p (nothing for nil or the empty list) as kind 0;
    // Changed when the place differs (a comparison that fails counts as
    // equal).
    void SetIdList(const shell::IdList* p);
    // The file-system path ("" when it has none; the desktop's for nil).
    std::string PathName();
    // Parses path; one that cannot be parsed leaves no list.
    void SetPathName(const std::string& path);
    void Clear() { SetIdList(nullptr); }
    bool IsEqual(const TFcShellLocator& other) const;
    // nullptr drops a list held (Changed); another locator is copied unless
    // equal (Changed), its nil list as the empty list.
    void Assign(const TFcShellLocator* source);
    virtual void Changed();

    std::uint8_t Kind() const noexcept { return m_kind; }
    std::uint8_t Csidl() const noexcept { return m_csidl; }
    bool HasList() const noexcept { return m_list.has_value(); }

    // The stored property "Pidl": stored only with a list held or kind 1.
    bool StoresPidl() const noexcept { return m_list.has_value() || m_kind != 0; }
    std::vector<std::uint8_t> WritePidl() const;
    // Reads stored bytes (see FcShellLocatorStream.h); fires nothing.
    void ReadPidl(std::span<const std::uint8_t> bytes);

    std::function<void(TFcShellLocator* sender)> OnChange;

private:
    std::uint8_t m_kind = 0;
    std::optional<shell::IdList> m_list;
    std::uint8_t m_csidl = 0;
};

} // namespace vdx
