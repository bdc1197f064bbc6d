#pragma once
// Result codes of the shell namespace, in the shell's own form: 0 and above
// is success (S_FALSE: success with nothing more), negative is failure. A
// file-system failure carries its errno in the low 16 bits under the Win32
// facility, as the platform wraps system error codes.

#include <cstdint>
#include <string>

namespace vdx::shell {

using HRESULT = std::int32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);

constexpr bool Succeeded(HRESULT hr) noexcept {
    return hr >= 0;
}
constexpr bool Failed(HRESULT hr) noexcept {
    return hr < 0;
}

// The failure for errno value error (E_FAIL for 0 or a negative value).
constexpr HRESULT HResultFromErrno(int error) noexcept {
    if (error <= 0 || error > 0xFFFF)
        return E_FAIL;
    return static_cast<HRESULT>(0x80070000u | static_cast<std::uint32_t>(error));
}
// The errno value behind a failure made by HResultFromErrno; 0 for others.
constexpr int ErrnoOf(HRESULT hr) noexcept {
    const auto v = static_cast<std::uint32_t>(hr);
    if ((v & 0xFFFF0000u) != 0x80070000u)
        return 0;
    return static_cast<int>(v & 0xFFFFu);
}

// The system's text for a code: the errno message for a file-system failure,
// a fixed text for the generic codes.
std::string HResultMessage(HRESULT hr);

} // namespace vdx::shell
