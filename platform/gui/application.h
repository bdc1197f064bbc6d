#pragma once
// The application object: a QApplication whose event delivery is guarded, so
// an exception escaping any event handler shows the error box instead of
// ending the program. It also knows when the event being handled is done,
// for work that must wait for the handler to finish (a form's modal result).

#include <QApplication>

#include <functional>

namespace vdx::gui {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs work once the event delivered now is done: when the delivery during
// which it was asked returns, not inside an event loop the handler runs
// meanwhile (a message box). Outside any delivery (or without a
// TApplication) it runs from the event loop. Skipped when context is gone by
// then; an exception is shown as every handler's.
void CallWhenEventDone(QObject* context, std::function<void()> work);

} // namespace vdx::gui
