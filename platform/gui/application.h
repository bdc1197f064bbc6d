#pragma once
// The application object: a QApplication whose event delivery is guarded, so
// an exception escaping any event handler shows the error box instead of
// ending the program.

#include <QApplication>

namespace vdx::gui {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace vdx::gui
