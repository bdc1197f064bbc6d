#include "platform/gui/application.h"

#include "platform/gui/exception_guard.h"

namespace vdx::gui {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        return false;
    }
}

} // namespace vdx::gui
