#include "controls/shell/FcShellLocator.h"

namespace vdx {

const shell::IdList* TFcShellLocator::IdList() {
    if (m_kind == 0)
        return m_list ? &*m_list : nullptr;
    if (m_kind == 1) {
        if (!m_list)
            GetSpecialFolderIdList(m_csidl, m_list); // a failure tries again next time
        return m_list ? &*m_list : nullptr;
    }
    return nullptr;
}

void TFcShellLocator::SetIdList(const shell::IdList* p) {
    const bool wasCsidl = m_kind != 0;
    m_kind = 0;
    bool changed;
    if (m_list) {
        const int c = CompareIdLists(&*m_list, p);
        changed = wasCsidl || (c != 0 && c != kCompareFailed);
    } else {
        changed = wasCsidl || (p && !p->Empty());
    }
    m_list.reset();
    if (p && p->Size() > 2)
        m_list = *p;
    if (changed)
        Changed();
}

std::string TFcShellLocator::PathName() {
    return IdListToPath(IdList());
}

void TFcShellLocator::SetPathName(const std::string& path) {
    std::optional<shell::IdList> parsed;
    if (shell::Succeeded(ParsePathToIdList(path, parsed)))
        SetIdList(&*parsed);
    else
        SetIdList(nullptr);
}

bool TFcShellLocator::IsEqual(const TFcShellLocator& other) const {
    if (m_kind != other.m_kind)
        return false;
    if (this == &other)
        return true;
    if (m_kind == 0)
        return CompareIdLists(m_list ? &*m_list : nullptr,
                              other.m_list ? &*other.m_list : nullptr) == 0;
    if (m_kind == 1)
        return m_csidl == other.m_csidl;
    return false;
}

void TFcShellLocator::Assign(const TFcShellLocator* source) {
    if (!source) {
        if (m_list) {
            m_list.reset();
            m_kind = 0;
            Changed();
        }
        return;
    }
    if (IsEqual(*source))
        return;
    m_list.reset();
    m_kind = source->m_kind;
    if (m_kind == 1)
        m_csidl = source->m_csidl;
    else
        m_list = CopyIdList(source->m_list ? &*source->m_list : nullptr);
    Changed();
}

void TFcShellLocator::Changed() {
    if (OnChange)
        OnChange(this);
}

std::vector<std::uint8_t> TFcShellLocator::WritePidl() const {
    TFcStoredLocation location;
    location.Kind = m_kind;
    location.Csidl = m_csidl;
    if (m_kind == 0)
        location.List = m_list;
    return EncodeLocation(location);
}

void TFcShellLocator::ReadPidl(std::span<const std::uint8_t> bytes) {
    TFcStoredLocation location = DecodeLocation(bytes);
    m_kind = location.Kind;
    m_csidl = location.Csidl;
    m_list = std::move(location.List);
}

} // namespace vdx
