#include "platform/gui/key_dispatcher.h"

#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <vector>

namespace vdx::gui {

bool TDialogKeyTarget::DialogKey(int, Qt::KeyboardModifiers) {
    return false;
}

bool TDialogKeyTarget::DialogChar(char, Qt::KeyboardModifiers) {
    return false;
}

void TDialogKeyTarget::FocusChanged(QWidget*) {}

namespace {

constexpr const char* kDispatcherName = "vdxKeyDispatcher";

// Offers to every control below parent, each before its own children, until
// one takes it. Controls deleted on the way are skipped.
bool Offer(QWidget& parent, const std::function<bool(TDialogKeyTarget&)>& offer) {
    std::vector<QPointer<QWidget>> children;
    for (QObject* o : parent.children())
        if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow())
            children.emplace_back(w);
    for (const QPointer<QWidget>& w : children) {
        if (!w)
            continue;
        if (auto* target = dynamic_cast<TDialogKeyTarget*>(w.data()); target && offer(*target))
            return true;
        if (w && Offer(*w, offer))
            return true;
    }
    return false;
}

// Lives as a child of its window and filters the window's key presses.
class TKeyDispatcher : public QObject {
public:
    explicit TKeyDispatcher(QWidget& window) : QObject(&window), m_window(window) {
        setObjectName(QString::fromLatin1(kDispatcherName));
        window.installEventFilter(this);
        connect(qApp, &QApplication::focusChanged, this, Guarded([this](QWidget*, QWidget* now) {
                    if (now && now->window() == &m_window)
                        BroadcastFocusChanged(m_window, now);
                }));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &m_window || event->type() != QEvent::KeyPress)
            return false;
        auto& key = static_cast<QKeyEvent&>(*event);
        bool taken = false;
        Guard([&] { taken = Dispatch(key); });
        if (taken)
            key.accept();
        return taken;
    }

private:
    bool Dispatch(const QKeyEvent& key) {
        const Qt::KeyboardModifiers modifiers = key.modifiers();
        switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: {
            const int k = key.key();
            return Offer(m_window, [&](TDialogKeyTarget& t) { return t.DialogKey(k, modifiers); });
        }
        default:
            break;
        }
        const std::string text = QStringToAnsi(key.text());
        if (text.size() != 1 || static_cast<unsigned char>(text[0]) < 0x20)
            return false;
        const char ch = text[0];
        return Offer(m_window, [&](TDialogKeyTarget& t) { return t.DialogChar(ch, modifiers); });
    }

    QWidget& m_window;
};

constexpr const char* kButtonEnterName = "vdxButtonEnter";

// Sees every key press first: a push button without auto-default ignores
// Enter, which would then go on to the window's default button.
class TButtonEnter : public QObject {
public:
    explicit TButtonEnter(QCoreApplication& app) : QObject(&app) {
        setObjectName(QString::fromLatin1(kButtonEnterName));
        app.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return false;
        auto* button = qobject_cast<QPushButton*>(watched);
        if (!button || !button->hasFocus() || button->autoDefault() || button->isDefault())
            return false;
        const auto& key = static_cast<const QKeyEvent&>(*event);
        if ((key.key() != Qt::Key_Return && key.key() != Qt::Key_Enter) ||
            (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (button->isEnabled())
            Guard([button] { button->click(); });
        return true;
    }
};

} // namespace

void ClickFocusedButtonOnEnter(QCoreApplication& app) {
    if (app.findChild<QObject*>(QString::fromLatin1(kButtonEnterName), Qt::FindDirectChildrenOnly))
        return;
    new TButtonEnter(app);
}

void AttachKeyDispatcher(QWidget& control) {
    QWidget* window = control.window();
    if (window->findChild<QObject*>(QString::fromLatin1(kDispatcherName),
                                    Qt::FindDirectChildrenOnly))
        return;
    new TKeyDispatcher(*window);
}

void BroadcastFocusChanged(QWidget& window, QWidget* now) {
    Offer(window, [now](TDialogKeyTarget& t) {
        t.FocusChanged(now);
        return false;
    });
}

bool OfferToControls(QWidget& window, const std::function<bool(TDialogKeyTarget&)>& offer) {
    return Offer(window, offer);
}

bool IsAccel(char ch, std::string_view caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        const QString a = AnsiToQString(std::string(1, ch)).toUpper();
        const QString b = AnsiToQString(std::string(1, caption[i + 1])).toUpper();
        return a == b;
    }
    return false;
}

} // namespace vdx::gui
