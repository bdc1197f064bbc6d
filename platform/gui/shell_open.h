#pragma once
// Opening a document or web address with the desktop's program for it, the
// "open" verb of the platform's shell. Tests put a hook in its place.

#include <functional>
#include <string>

namespace vdx::gui {

// True when the desktop took the address.
bool OpenDocument(const std::string& address);

// Replaces the desktop while the guard lives (tests).
class OpenDocumentHook {
public:
    explicit OpenDocumentHook(std::function<bool(const std::string&)> hook);
    ~OpenDocumentHook();
    OpenDocumentHook(const OpenDocumentHook&) = delete;
    OpenDocumentHook& operator=(const OpenDocumentHook&) = delete;

private:
    std::function<bool(const std::string&)> m_previous;
};

} // namespace vdx::gui
