#include "platform/gui/application.h"

#include "platform/gui/exception_guard.h"

#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

namespace vdx::gui {

namespace {

struct TPendingWork {
    int Depth; // the delivery level it waits for
    QPointer<QObject> Context;
    std::function<void()> Work;
};

// GUI thread only: the nesting of deliveries and the work waiting for them.
int g_depth = 0;
std::vector<TPendingWork>& Pending() {
    static std::vector<TPendingWork> pending;
    return pending;
}

// Runs the work whose delivery has returned (deeper than the level now).
void RunFinished() {
    std::vector<TPendingWork>& pending = Pending();
    while (true) {
        auto it = std::find_if(pending.begin(), pending.end(),
                               [](const TPendingWork& p) { return p.Depth > g_depth; });
        if (it == pending.end())
            return;
        TPendingWork done = std::move(*it);
        pending.erase(it);
        if (done.Context)
            Guard(done.Work);
    }
}

} // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    bool result = false;
    ++g_depth;
    try {
        result = QApplication::notify(receiver, event);
    } catch (...) {
        HandleException(std::current_exception());
        result = false;
    }
    --g_depth;
    if (!Pending().empty())
        RunFinished();
    return result;
}

void CallWhenEventDone(QObject* context, std::function<void()> work) {
    if (g_depth > 0) {
        Pending().push_back({g_depth, context, std::move(work)});
        return;
    }
    QTimer::singleShot(0, context, [work = std::move(work)] { Guard(work); });
}

} // namespace vdx::gui
