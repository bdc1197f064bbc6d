#include "platform/gui/exception_guard.h"

#include "platform/gui/message_box.h"

#include <cstdio>
#include <stdexcept>

namespace vdx::gui {

void ShowException(const std::string& message) {
    std::string text = message;
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    ApplicationMessageBox(text, ApplicationTitle(), MB_OK | MB_ICONSTOP);
}

void HandleException(std::exception_ptr e) noexcept {
    try {
        try {
            std::rethrow_exception(e);
        } catch (const EAbort&) {
            // silent by design
        } catch (const std::exception& ex) {
            ShowException(ex.what());
        } catch (...) {
            ShowException("Unknown exception");
        }
    } catch (...) {
        // The box itself failed: nothing left to show it with.
        std::fputs("exception while showing an exception\n", stderr);
    }
}

} // namespace vdx::gui
