#include "controls/edits/FcEdit.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/system_facts.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace vdx {

namespace {

// The platform's scroll-bar width: the drop button strip.
constexpr int kDropButtonWidth = 16;

bool IsEnter(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Alt with a character is the window's (an accelerator), no typed key;
// Ctrl+Alt is AltGr, which types.
bool AltCharacter(Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::AltModifier) && !modifiers.testFlag(Qt::ControlModifier);
}

} // namespace

std::string InsertedPart(const std::string& before, const std::string& after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return after.substr(prefix, after.size() - prefix - suffix);
}

// The inner editor: every way into its text goes through the edit's rules.
class TFcEditBox final : public QLineEdit {
public:
    explicit TFcEditBox(TFcCustomEdit& edit) : QLineEdit(&edit), m_edit(edit) {
        setFrame(false);
        setAutoFillBackground(true);
        setMaxLength(std::numeric_limits<int>::max());
    }

    void BaseKeyPress(QKeyEvent* event) { QLineEdit::keyPressEvent(event); }

protected:
    void keyPressEvent(QKeyEvent* event) override { m_edit.HandleKeyPress(*event); }
    void keyReleaseEvent(QKeyEvent* event) override {
        m_edit.HandleKeyRelease(*event);
        if (event->isAccepted())
            QLineEdit::keyReleaseEvent(event);
    }

    void focusInEvent(QFocusEvent* event) override {
        // Qt selects everything on Tab and shortcut entry; AutoSelect decides
        // instead, for every entry that is not a click or a return.
        const int cursor = cursorPosition();
        const int start = selectionStart();
        const int length = selectedText().size();
        QLineEdit::focusInEvent(event);
        const Qt::FocusReason reason = event->reason();
        const bool returning =
            reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason;
        if (reason == Qt::MouseFocusReason || returning || !m_edit.AutoSelect()) {
            if (start >= 0)
                setSelection(start, length);
            else
                setCursorPosition(cursor);
        } else {
            selectAll();
        }
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        // The edit's own pop-up menu replaces the edit menu: the framed
        // base runs OnContextPopup and opens it.
        if (m_edit.PopupMenu()) {
            QContextMenuEvent forwarded(event->reason(), mapTo(&m_edit, event->pos()),
                                        event->globalPos(), event->modifiers());
            QCoreApplication::sendEvent(&m_edit, &forwarded);
            event->accept();
            return;
        }
        if (m_edit.OnContextPopup) {
            bool handled = false;
            TPoint pos{-1, -1};
            if (event->reason() != QContextMenuEvent::Keyboard)
                pos = {event->pos().x(), event->pos().y()};
            gui::Guard([&] { m_edit.OnContextPopup(&m_edit, pos, handled); });
            if (handled) {
                event->accept();
                return;
            }
        }
        ShowMenu(event->globalPos());
        event->accept();
    }

    void dropEvent(QDropEvent* event) override {
        if (!event->mimeData()->hasText()) {
            QLineEdit::dropEvent(event);
            return;
        }
        const std::string dropped = gui::QStringToAnsi(event->mimeData()->text());
        std::string result = m_edit.Text();
        if (event->source() == this && event->dropAction() == Qt::MoveAction && hasSelectedText())
            result.erase(std::size_t(selectionStart()), std::size_t(selectedText().size()));
        const int at =
            std::clamp(cursorPositionAt(event->position().toPoint()), 0, int(result.size()));
        result.insert(std::size_t(at), dropped);
        if (isReadOnly() || !m_edit.AcceptsInsertedText(dropped, result)) {
            event->ignore();
            m_edit.InvalidKeyPressed();
            return;
        }
        QLineEdit::dropEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        // The middle button pastes the selection where the platform has one.
        if (event->button() == Qt::MiddleButton &&
            QGuiApplication::clipboard()->supportsSelection()) {
            if (!isReadOnly()) {
                deselect();
                m_edit.InsertFromOutside(
                    gui::QStringToAnsi(QGuiApplication::clipboard()->text(QClipboard::Selection)));
            }
            event->accept();
            return;
        }
        QLineEdit::mouseReleaseEvent(event);
    }

    void inputMethodEvent(QInputMethodEvent* event) override {
        if (!event->commitString().isEmpty()) {
            const std::string committed = gui::QStringToAnsi(event->commitString());
            std::string result = m_edit.Text();
            const int start = hasSelectedText() ? selectionStart() : cursorPosition();
            result.replace(std::size_t(start), std::size_t(selectedText().size()), committed);
            if (!m_edit.AcceptsInsertedText(committed, result)) {
                m_edit.InvalidKeyPressed();
                event->accept();
                return;
            }
        }
        QLineEdit::inputMethodEvent(event);
    }

private:
    // The platform's edit menu, with the edit's rules behind each command.
    void ShowMenu(const QPoint& at) {
        QMenu menu(this);
        const bool editable = !isReadOnly();
        QPointer<TFcEditBox> self(this);
        auto add = [&](const char* caption, bool enabled, auto action) {
            QAction* a = menu.addAction(QString::fromLatin1(caption));
            a->setEnabled(enabled);
            connect(a, &QAction::triggered, &menu, [self, action] {
                if (self)
                    gui::Guard([&] { action(*self); });
            });
        };
        const bool selection = hasSelectedText();
        add("&Undo", editable && isUndoAvailable(),
            [](TFcEditBox& b) { b.m_edit.UndoRedo(false); });
        menu.addSeparator();
        add("Cu&t", editable && selection && echoMode() == Normal, [](TFcEditBox& b) { b.cut(); });
        add("&Copy", selection && echoMode() == Normal, [](TFcEditBox& b) { b.copy(); });
        add("&Paste", editable && !QGuiApplication::clipboard()->text().isEmpty(),
            [](TFcEditBox& b) {
                b.m_edit.InsertFromOutside(
                    gui::QStringToAnsi(QGuiApplication::clipboard()->text()));
            });
        add("&Delete", editable && selection, [](TFcEditBox& b) { b.del(); });
        menu.addSeparator();
        add("Select &All", !text().isEmpty(), [](TFcEditBox& b) { b.selectAll(); });
        menu.exec(at);
    }

    TFcCustomEdit& m_edit;
};

TFcCustomEdit::TFcCustomEdit(QWidget* parent) : TFcFramedControl(parent) {
    m_box = new TFcEditBox(*this);
    SetFocusWidget(m_box);
    setFocusPolicy(Qt::StrongFocus);
    connect(m_box, &QLineEdit::textChanged, this, [this] { gui::Guard([this] { Change(); }); });
    resize(121, 21);
    UpdateFrameLayout();
    FontChanged();
    AlignmentChanged();
    ApplyEditorPalette();
}

TFcCustomEdit::~TFcCustomEdit() {
    // The editor's last focus change must not run exit rules on a control
    // that is going.
    m_destroying = true;
}

QLineEdit& TFcCustomEdit::Editor() const noexcept {
    return *m_box;
}

// Text and selection.

std::string TFcCustomEdit::Text() const {
    return gui::QStringToAnsi(m_box->text());
}

void TFcCustomEdit::SetText(const std::string& value) {
    if (Text() != value)
        m_box->setText(gui::AnsiToQString(value));
}

std::string TFcCustomEdit::GetRawText() const {
    return Text();
}

int TFcCustomEdit::MaxLength() const {
    const int n = m_box->maxLength();
    return n == std::numeric_limits<int>::max() ? 0 : n;
}

void TFcCustomEdit::SetMaxLength(int value) {
    m_box->setMaxLength(value > 0 ? value : std::numeric_limits<int>::max());
}

int TFcCustomEdit::SelStart() const {
    return m_box->hasSelectedText() ? m_box->selectionStart() : m_box->cursorPosition();
}

int TFcCustomEdit::SelLength() const {
    return m_box->hasSelectedText() ? int(m_box->selectedText().size()) : 0;
}

std::string TFcCustomEdit::SelText() const {
    return gui::QStringToAnsi(m_box->selectedText());
}

void TFcCustomEdit::SetSelStart(int value) {
    m_box->setCursorPosition(value);
}

void TFcCustomEdit::SetSelLength(int value) {
    m_box->setSelection(SelStart(), value);
}

void TFcCustomEdit::SelectAll() {
    m_box->selectAll();
}

void TFcCustomEdit::SetReadOnly(bool value) {
    if (!StoreChanged(m_readOnly, value))
        return;
    UpdateEditorReadOnly();
    ReadOnlyChanged();
}

void TFcCustomEdit::UpdateEditorReadOnly() {
    m_box->setReadOnly(m_readOnly || !TextEditAllowed());
}

bool TFcCustomEdit::IsReadOnly() const {
    return m_readOnly;
}

void TFcCustomEdit::SetBorderStyle(TBorderStyle value) {
    if (StoreChanged(m_borderStyle, value))
        UpdateFrameLayout();
}

void TFcCustomEdit::SetTextHint(const std::string& value) {
    if (StoreChanged(m_textHint, value) && !IsLoading())
        ApplyTextHint();
}

void TFcCustomEdit::SetTextHintVisibleOnFocus(bool value) {
    if (StoreChanged(m_textHintVisibleOnFocus, value) && !IsLoading())
        ApplyTextHint();
}

void TFcCustomEdit::ApplyTextHint() {}

void TFcCustomEdit::GetEditRect(TRect& rect) const {
    rect = ClientRect();
}

// Colours and frame.

void TFcCustomEdit::UpdateColors() {
    if (IsLoading())
        return;
    m_colorGuard = true;
    try {
        if (!isEnabled())
            SetColor(DisabledColor());
        else if (m_hasFocus)
            SetColor(IsReadOnly() && m_readOnlyColorOnFocus ? m_readOnlyColor : FocusColor());
        else
            SetColor(IsReadOnly() ? m_readOnlyColor : NormalColor());
    } catch (...) {
        m_colorGuard = false;
        throw;
    }
    m_colorGuard = false;
}

void TFcCustomEdit::ColorChanged() {
    if (!m_colorGuard)
        TakeNormalColor();
    ApplyEditorPalette();
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
}

void TFcCustomEdit::ApplyEditorPalette() {
    QPalette pal = m_box->palette();
    const QColor back = gui::ToQColor(Color());
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(g, QPalette::Base, back);
        pal.setColor(g, QPalette::Window, back);
        pal.setColor(g, QPalette::Text,
                     gui::ToQColor(g == QPalette::Disabled ? gui::clGrayText : Font().Color));
        pal.setColor(g, QPalette::Highlight, gui::ToQColor(gui::clHighlight));
        pal.setColor(g, QPalette::HighlightedText, gui::ToQColor(gui::clHighlightText));
    }
    m_box->setPalette(pal);
}

void TFcCustomEdit::FontChanged() {
    m_box->setFont(gui::ToQFont(Font()));
    ApplyEditorPalette();
}

void TFcCustomEdit::AlignmentChanged() {
    Qt::Alignment h = Qt::AlignLeft;
    if (Alignment() == TAlignment::taRightJustify)
        h = Qt::AlignRight;
    else if (Alignment() == TAlignment::taCenter)
        h = Qt::AlignHCenter;
    m_box->setAlignment(h | Qt::AlignVCenter);
}

void TFcCustomEdit::FrameVisibleChanged() {
    UpdateFrameLayout();
    RedrawFrame();
}

void TFcCustomEdit::SetReadOnlyColor(TColor value) {
    if (StoreChanged(m_readOnlyColor, value) && IsReadOnly())
        UpdateColors();
}

void TFcCustomEdit::SetReadOnlyColorOnFocus(bool value) {
    if (StoreChanged(m_readOnlyColorOnFocus, value))
        UpdateColors();
}

void TFcCustomEdit::SetFlatButtonColor(TColor value) {
    if (StoreChanged(m_flatButtonColor, value))
        RedrawFrame();
}

void TFcCustomEdit::SetFrameController(TFcFrameController* value) {
    LinkFrameController(value, true);
}

void TFcCustomEdit::TakeFrameSetting(const TFcFrameController& fc, TFcFrameControllerProperty p) {
    switch (p) {
    case TFcFrameControllerProperty::fcpReadOnlyColor:
        SetReadOnlyColor(fc.ReadOnlyColor());
        break;
    case TFcFrameControllerProperty::fcpReadOnlyColorOnFocus:
        SetReadOnlyColorOnFocus(fc.ReadOnlyColorOnFocus());
        break;
    case TFcFrameControllerProperty::fcpFlatButtonColor:
        SetFlatButtonColor(fc.FlatButtonColor());
        break;
    case TFcFrameControllerProperty::fcpFlatButtons:
        SetFlatButtons(fc.FlatButtons());
        break;
    default:
        TFcFramedControl::TakeFrameSetting(fc, p);
        break;
    }
}

void TFcCustomEdit::UpdateFrameHotState(bool isMouse, bool value) {
    if (!isMouse)
        m_hasFocus = value;
    // The base records the mouse, repaints a hot-tracked frame and updates
    // the colours; a shown drop button repaints for its flat or hot look.
    TFcFramedControl::UpdateFrameHotState(isMouse, value);
    if (m_dropButtonShown && (m_flatButtons || gui::ThemesEnabled()) &&
        m_buttonState != TFcDropButtonState::Down)
        RedrawFrame();
}

void TFcCustomEdit::ReadOnlyChanged() {
    if (IsReadOnly())
        SuppressDropButton();
    else if (m_dropButtonVisible)
        RestoreDropButton();
    UpdateColors();
    RedrawFrame();
}

void TFcCustomEdit::EnabledChanged() {
    UpdateColors();
    RedrawFrame();
}

void TFcCustomEdit::Loaded() {
    TFcFramedControl::Loaded();
    UpdateColors();
    UpdateFrameHotState(false, false);
}

// Layout.

void TFcCustomEdit::UpdateFrameLayout() {
    const int border = m_borderStyle == TBorderStyle::bsSingle ? 2 : 0;
    SetFrameMargins(
        QMargins(border, border, border + (m_dropButtonShown ? kDropButtonWidth : 0), border));
    LayoutEditor();
}

void TFcCustomEdit::LayoutEditor() {
    m_box->setGeometry(contentsRect());
}

void TFcCustomEdit::resizeEvent(QResizeEvent* event) {
    TFcFramedControl::resizeEvent(event);
    LayoutEditor();
    if (FrameVisible() && !UseThemedFrame())
        RedrawFrame();
}

TRect TFcCustomEdit::DropButtonRect() const {
    if (!m_dropButtonShown)
        return {};
    const int border = m_borderStyle == TBorderStyle::bsSingle ? 2 : 0;
    return gui::Rect(width() - border - kDropButtonWidth, border, width() - border,
                     height() - border);
}

bool TFcCustomEdit::OverDropButton(const QPoint& p) const {
    return PtInRect(DropButtonRect(), {p.x(), p.y()});
}

// Painting: the platform border, the custom frame over it, the drop button.

void TFcCustomEdit::PaintFrame(TCanvas& canvas) {
    const int w = width(), h = height();
    if (m_borderStyle == TBorderStyle::bsSingle)
        Draw3DBorder(canvas, gui::Rect(0, 0, w, h), true);
    if (FrameVisible() && !UseThemedFrame())
        Frame().Paint(canvas, w, h, Color(), m_hasFocus || MouseOver());
    if (!m_dropButtonShown)
        return;
    TRect r = gui::Rect(0, 0, w, h);
    if (m_borderStyle == TBorderStyle::bsSingle)
        r = gui::InflateRect(r, -2, -2);
    canvas.PushClip();
    canvas.IntersectClipRect(r);
    r.Left = r.Right - kDropButtonWidth;
    TRect face = r;
    DrawDropButton(canvas, face);
    canvas.ExcludeClipRect(face);
    canvas.FillRect(r);
    canvas.PopClip();
}

void TFcCustomEdit::DrawDropButton(TCanvas& canvas, TRect& rect) {
    const bool enabled = isEnabled();
    const bool down = m_buttonState == TFcDropButtonState::Down;
    if (!m_flatButtons) {
        DrawFrameControlComboButton(canvas, rect, down, !enabled);
        return;
    }
    if (m_hasFocus || MouseOver()) {
        canvas.Brush.SetColor(m_flatButtonColor);
        TRect inner;
        if (m_flatButtonColor == gui::clBtnFace)
            inner = down ? DrawNestedSides(canvas, rect, gui::clBtnShadow, gui::clBtnHighlight, 1,
                                           TSides::All())
                         : DrawNestedSides(canvas, rect, gui::clBtnHighlight, gui::clBtnShadow, 1,
                                           TSides::All());
        else
            inner =
                DrawColorFrameStyleBorder(canvas, rect, m_flatButtonColor,
                                          down ? TFrameStyleEx::fsStatus : TFrameStyleEx::fsPopup);
        canvas.Brush.SetColor(m_flatButtonColor);
        canvas.FillRect(inner);
        DrawDropDownArrow(canvas, inner, 0, enabled);
        return;
    }
    TColor state = NormalColor();
    if (!enabled)
        state = DisabledColor();
    else if (m_hasFocus)
        state = IsReadOnly() && m_readOnlyColorOnFocus ? m_readOnlyColor : FocusColor();
    else if (IsReadOnly())
        state = m_readOnlyColor;
    canvas.Brush.SetColor(state);
    canvas.FillRect(rect);
    DrawDropDownArrow(canvas, rect, 0, enabled);
}

// The drop button.

void TFcCustomEdit::SetDropButtonVisible(bool value) {
    if (!StoreChanged(m_dropButtonVisible, value))
        return;
    // Read-only keeps the wanted button out of the window.
    SetDropButtonShown(value && !IsReadOnly());
}

void TFcCustomEdit::SetDropButtonShown(bool value) {
    if (StoreChanged(m_dropButtonShown, value))
        UpdateFrameLayout();
}

void TFcCustomEdit::SuppressDropButton() {
    if (m_dropButtonVisible)
        SetDropButtonShown(false);
}

void TFcCustomEdit::RestoreDropButton() {
    if (m_dropButtonVisible)
        SetDropButtonShown(true);
}

void TFcCustomEdit::SetButtonState(TFcDropButtonState value) {
    if (m_dropButtonShown && StoreChanged(m_buttonState, value))
        RedrawFrame();
}

void TFcCustomEdit::SetFlatButtons(bool value) {
    if (StoreChanged(m_flatButtons, value))
        RedrawFrame();
}

void TFcCustomEdit::PressDropButton() {
    if (!m_dropButtonShown)
        return;
    // The drop-down may run a pop-up during which anything, this edit
    // included, can be destroyed.
    QPointer<TFcCustomEdit> self(this);
    m_droppedDown = true;
    SetButtonState(TFcDropButtonState::Down);
    try {
        DropDown();
        if (self)
            CloseUp();
    } catch (...) {
        if (self) {
            SetButtonState(TFcDropButtonState::Up);
            m_droppedDown = false;
        }
        throw;
    }
    if (!self)
        return;
    SetButtonState(TFcDropButtonState::Up);
    m_droppedDown = false;
}

void TFcCustomEdit::ReleaseDropButton() {
    if (!m_droppedDown)
        SetButtonState(TFcDropButtonState::Up);
}

void TFcCustomEdit::DropDown() {}
void TFcCustomEdit::CloseUp() {}

void TFcCustomEdit::mousePressEvent(QMouseEvent* event) {
    if (OverDropButton(event->position().toPoint())) {
        event->accept();
        if (event->button() != Qt::LeftButton)
            return; // the right button over the button is swallowed
        if (!m_hasFocus)
            SetFocus();
        gui::Guard([this] { PressDropButton(); });
        return; // the control may be gone
    }
    TFcFramedControl::mousePressEvent(event);
}

void TFcCustomEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    if (OverDropButton(event->position().toPoint())) {
        mousePressEvent(event);
        return;
    }
    TFcFramedControl::mouseDoubleClickEvent(event);
}

void TFcCustomEdit::mouseReleaseEvent(QMouseEvent* event) {
    ReleaseDropButton();
    TFcFramedControl::mouseReleaseEvent(event);
}

// Focus: the class library's enter and exit.

void TFcCustomEdit::SetFocus() {
    m_box->setFocus(Qt::OtherFocusReason);
}

bool TFcCustomEdit::FocusLeavesForm() const {
    const Qt::FocusReason reason = FocusChangeReason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason)
        return true;
    const QWidget* next = QApplication::focusWidget();
    return next && next->window() != window();
}

void TFcCustomEdit::FocusEnter() {
    if (m_destroying || m_hasFocus)
        return; // back from a pop-up or another window: the form never lost it
    Enter();
}

void TFcCustomEdit::FocusExit() {
    if (m_destroying || !m_hasFocus || FocusLeavesForm())
        return;
    ReleaseDropButton();
    if (!isVisible()) {
        Exit(); // hidden: no checks
        return;
    }
    CheckedExit();
}

void TFcCustomEdit::Enter() {
    UpdateFrameHotState(false, true);
    TFcFramedControl::FocusEnter();
}

bool TFcCustomEdit::CheckedExit() {
    Exit();
    return true;
}

void TFcCustomEdit::Exit() {
    TFcFramedControl::FocusExit();
    UpdateFrameHotState(false, false);
}

void TFcCustomEdit::MouseEnter() {
    UpdateFrameHotState(true, true);
    TFcFramedControl::MouseEnter();
}

void TFcCustomEdit::MouseLeave() {
    UpdateFrameHotState(true, false);
    TFcFramedControl::MouseLeave();
}

// Keys.

void TFcCustomEdit::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
    if (key == 0 || !m_dropButtonShown)
        return;
    const Qt::KeyboardModifiers mods = shift & ~Qt::KeypadModifier;
    if ((key == Qt::Key_Down && mods == Qt::AltModifier) ||
        (key == Qt::Key_F4 && mods == Qt::NoModifier)) {
        key = 0;
        PressDropButton(); // the control may be gone afterwards
    }
}

void TFcCustomEdit::KeyPress(char& key) {
    if (m_tabOnEnter && key == '\r') {
        key = 0;
        // On to the next control, as Tab goes.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(m_box, &tab);
        return;
    }
    TFcFramedControl::KeyPress(key);
}

bool TFcCustomEdit::WindowTakesKey(QKeyEvent& event) {
    // The window's dialog keys (its default and cancel buttons) see the key
    // as one that no control took.
    QKeyEvent offer(QEvent::KeyPress, event.key(), event.modifiers(), event.text());
    QCoreApplication::sendEvent(window(), &offer);
    return offer.isAccepted();
}

void TFcCustomEdit::HandleKeyPress(QKeyEvent& event) {
    // Accepted from the start: a handler may destroy the control, and an
    // accepted event is not passed to its (dead) parent.
    event.accept();
    QPointer<TFcCustomEdit> self(this);
    gui::Guard([&] {
        int key = event.key();
        KeyDown(key, event.modifiers());
        if (!self || key == 0)
            return;
        const bool enter = IsEnter(key), escape = key == Qt::Key_Escape;
        char ch = 0;
        if (enter)
            ch = '\r';
        else if (escape)
            ch = '\x1b';
        else if (const std::string text = gui::QStringToAnsi(event.text()); text.size() == 1) {
            if (AltCharacter(event.modifiers()) && static_cast<unsigned char>(text[0]) >= 32) {
                event.ignore(); // on to the window's accelerators
                return;
            }
            ch = text[0];
        }
        if ((escape || (enter && !m_tabOnEnter)) && WindowTakesKey(event))
            return;
        if (ch != 0) {
            char typed = ch;
            KeyPress(typed);
            if (!self || typed == 0 || enter || escape)
                return; // Enter and Escape are never typed
            if (typed != ch) {
                if (!m_box->isReadOnly())
                    m_box->insert(gui::AnsiToQString(std::string(1, typed)));
                return;
            }
        }
        if (event.matches(QKeySequence::Paste)) {
            InsertFromOutside(gui::QStringToAnsi(QGuiApplication::clipboard()->text()));
            return;
        }
        if (event.matches(QKeySequence::Undo) || event.matches(QKeySequence::Redo)) {
            UndoRedo(event.matches(QKeySequence::Redo));
            return;
        }
        m_box->BaseKeyPress(&event);
    });
}

void TFcCustomEdit::keyPressEvent(QKeyEvent* event) {
    event->ignore();
}

void TFcCustomEdit::keyReleaseEvent(QKeyEvent* event) {
    event->ignore();
}

void TFcCustomEdit::HandleKeyRelease(QKeyEvent& event) {
    if (!OnKeyUp)
        return;
    int key = event.key();
    gui::Guard([&] { OnKeyUp(this, key, event.modifiers()); });
    if (key == 0)
        event.ignore(); // swallowed: the editor does not see it
}

void TFcCustomEdit::InvalidKeyPressed() {
    if (m_beepOnInvalidKey)
        Beep();
}

void TFcCustomEdit::Beep() {
    QApplication::beep();
}

bool TFcCustomEdit::AcceptsInsertedText(const std::string&, const std::string&) {
    return true;
}

bool TFcCustomEdit::InsertFromOutside(const std::string& text) {
    if (m_box->isReadOnly())
        return false;
    std::string result = Text();
    const int start = SelStart();
    result.replace(std::size_t(start), std::size_t(SelLength()), text);
    if (!AcceptsInsertedText(text, result)) {
        InvalidKeyPressed();
        return false;
    }
    m_box->insert(gui::AnsiToQString(text));
    return true;
}

void TFcCustomEdit::UndoRedo(bool redo) {
    if (m_box->isReadOnly())
        return;
    const std::string before = Text();
    redo ? m_box->redo() : m_box->undo();
    const std::string after = Text();
    if (after == before || AcceptsInsertedText(InsertedPart(before, after), after))
        return;
    redo ? m_box->undo() : m_box->redo();
    InvalidKeyPressed();
}

void TFcCustomEdit::Change() {
    if (OnChange)
        OnChange(this);
}

} // namespace vdx
