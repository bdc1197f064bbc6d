#include "controls/edits/FcButtonEdit.h"

#include "controls/base/FcCommon.h"
#include "platform/gui/ansi_text.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/system_facts.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QResizeEvent>

#include <algorithm>
#include <array>
#include <memory>

namespace vdx {

namespace {

// The glyphs' background, taken from the bottom-left pixel.
constexpr TColor kGlyphBackground = gui::clOlive;

// 10 x 10 pictures: 'x' ink, '.' background.
using TGlyphPicture = std::array<const char*, 10>;

TGlyphPicture PictureOf(TButtonKind kind) {
    switch (kind) {
    case TButtonKind::bkLookup: // three dots; the button puts the cell a pixel low
        return {"..........", "..........", "..........", "xx..xx..xx", "xx..xx..xx",
                "..........", "..........", "..........", "..........", ".........."};
    case TButtonKind::bkDropDown: // a downward triangle
        return {"..........", "..........", "..........", ".xxxxxxx..", "..xxxxx...",
                "...xxx....", "....x.....", "..........", "..........", ".........."};
    case TButtonKind::bkCalendar: // a calendar page
        return {"xxxxxxxxx.", "xxxxxxxxx.", "x.......x.", "x.x.x.x.x.", "x.......x.",
                "x.x.x.x.x.", "x.......x.", "xxxxxxxxx.", "..........", ".........."};
    case TButtonKind::bkAccept: // a check mark
        return {"..........", "........x.", ".......xx.", "......xx..", "x....xx...",
                "xx..xx....", ".xxxx.....", "..xx......", "..........", ".........."};
    case TButtonKind::bkReject: // a cross
        return {"..........", ".x.....x..", ".xx...xx..", "..xx.xx...", "...xxx....",
                "..xx.xx...", ".xx...xx..", ".x.....x..", "..........", ".........."};
    case TButtonKind::bkFolder: // a folder
        return {"..........", ".xxx......", "x...x.....", "xxxxxxxxx.", "x.......x.",
                "x.......x.", "x.......x.", "x.......x.", "xxxxxxxxx.", ".........."};
    case TButtonKind::bkFind: // binoculars
        return {"..........", ".xx...xx..", ".xx...xx..", "xxxx.xxxx.", "x..xxx..x.",
                "x..x.x..x.", "x..x.x..x.", "xxxx.xxxx.", "..........", ".........."};
    case TButtonKind::bkSearch: // a magnifier
        return {"..xxx.....", ".x...x....", "x.....x...", "x.....x...", "x.....x...",
                ".x...x....", "..xxxxx...", "......xx..", ".......xx.", "........xx"};
    case TButtonKind::bkCustom:
        break;
    }
    return {};
}

std::unique_ptr<gui::TBitmap> DrawKindGlyph(TButtonKind kind) {
    auto bitmap = std::make_unique<gui::TBitmap>(20, 10);
    TCanvas& canvas = bitmap->Canvas();
    canvas.Brush.SetColor(kGlyphBackground);
    canvas.FillRect(gui::Rect(0, 0, 20, 10));
    const TGlyphPicture picture = PictureOf(kind);
    auto ink = [&](int x, int y) { return picture[std::size_t(y)][x] == 'x'; };
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            if (ink(x, y))
                canvas.SetPixel(x, y, gui::clBlack);
            // The disabled cell: embossed, a highlight under the shadow.
            if (ink(x, y))
                canvas.SetPixel(10 + x, y, gui::clBtnShadow);
            else if (x > 0 && y > 0 && ink(x - 1, y - 1))
                canvas.SetPixel(10 + x, y, gui::clBtnHighlight);
        }
    bitmap->Transparent = true;
    return bitmap;
}

} // namespace

const gui::TBitmap& GetButtonKindGlyph(TButtonKind kind) {
    // Drawn on first use, kept until the program ends (GUI thread only).
    static std::array<std::unique_ptr<gui::TBitmap>, 9> cache;
    auto& entry = cache[std::size_t(kind)];
    if (!entry)
        entry =
            kind == TButtonKind::bkCustom ? std::make_unique<gui::TBitmap>() : DrawKindGlyph(kind);
    return *entry;
}

// The pair.

TFcButtonPair::TFcButtonPair(QWidget* parent) : gui::TFramedHost(parent) {
    m_button = CreateButton();
    m_button->show();
    m_altBtn = CreateButton();
    SetParentColor(true);
    resize(34, 21);
}

TFcButtonPair::~TFcButtonPair() = default;

TFcControlButton* TFcButtonPair::CreateButton() {
    auto* button = new TFcControlButton(this);
    button->OnClick = [this](QObject* sender) { HandleButtonClick(sender); };
    // The press is offered here first, so that a failed focus cancels it.
    button->installEventFilter(this);
    button->hide();
    button->setEnabled(true);
    button->resize(gui::ThemesEnabled() ? 15 : 17, button->height());
    return button;
}

bool TFcButtonPair::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)
        if (watched == m_button || watched == m_altBtn) {
            auto* e = static_cast<QMouseEvent*>(event);
            const QPoint p = e->position().toPoint();
            bool go = true;
            gui::Guard([&] {
                go = HandleButtonMouseDown(watched, e->button(), e->modifiers(), p.x(), p.y());
            });
            if (!go) {
                event->accept();
                return true; // the press is cancelled
            }
        }
    return gui::TFramedHost::eventFilter(watched, event);
}

void TFcButtonPair::HandleButtonClick(QObject* sender) {
    if (sender == m_altBtn)
        AltBtnClick();
    else
        ButtonClick();
}

bool TFcButtonPair::HandleButtonMouseDown(QObject*, Qt::MouseButton button, Qt::KeyboardModifiers,
                                          int, int) {
    if (button != Qt::LeftButton)
        return true;
    QWidget* focus = m_focusControl;
    if (focus && focus->focusPolicy() != Qt::NoFocus && focus->isEnabled() && focus->isVisible() &&
        !focus->hasFocus()) {
        focus->setFocus(Qt::MouseFocusReason);
        return focus->hasFocus();
    }
    if (!focus && m_tabStop && !hasFocus() && isEnabled() && isVisible()) {
        setFocus(Qt::MouseFocusReason);
        return hasFocus();
    }
    return true;
}

void TFcButtonPair::AltBtnClick() {
    if (OnAltBtnClick)
        OnAltBtnClick(this);
}

void TFcButtonPair::ButtonClick() {
    if (OnButtonClick)
        OnButtonClick(this);
}

void TFcButtonPair::ArrangeButtons() {
    if (!m_button)
        return;
    const int h = height() - 1;
    int x = 0;
    for (TFcControlButton* b : {m_button, m_altBtn})
        if (!b->isHidden()) {
            b->setGeometry(x, 0, b->width(), h);
            x += b->width();
        }
}

bool TFcButtonPair::GetEnabled() const {
    return isEnabled();
}

void TFcButtonPair::SetEnabled(bool value) {
    if (isEnabled() == value)
        return;
    setEnabled(value);
    m_altBtn->setEnabled(value);
    m_button->setEnabled(value);
}

TColor TFcButtonPair::GetColor() const {
    return Color();
}

void TFcButtonPair::SetColor(TColor value) {
    gui::TFramedHost::SetColor(value);
    m_altBtn->SetColor(value);
    m_button->SetColor(value);
}

void TFcButtonPair::SetFlat(bool value) {
    if (!StoreChanged(m_flat, value))
        return;
    m_altBtn->SetFlat(value);
    m_button->SetFlat(value);
}

void TFcButtonPair::PaintClient(TCanvas& canvas) {
    canvas.Brush.SetColor(Color());
    canvas.FillRect(ClientRect());
}

void TFcButtonPair::resizeEvent(QResizeEvent* event) {
    gui::TFramedHost::resizeEvent(event);
    ArrangeButtons();
}

// The edit.

TFcCustomButtonEdit::TFcCustomButtonEdit(QWidget* parent) : TFcEdit(parent) {
    m_pair = new TFcButtonPair(this);
    m_pair->resize(17, 10);
    m_pair->show();
    m_pair->SetFocusControl(this);
    m_pair->OnAltBtnClick = [this](QObject* sender) { AltBtnClicked(sender); };
    m_pair->OnButtonClick = [this](QObject* sender) { ButtonClicked(sender); };
    resize(121, height());
    for (TFcControlButton* b : {&m_pair->AltBtn(), &m_pair->Button()}) {
        b->SetGlyph(GetButtonKindGlyph(TButtonKind::bkLookup));
        b->SetNumGlyphs(2);
    }
    m_pair->AltBtn().hide();
    m_pair->SetColor(Color());
    AdjustHeight();
}

TFcCustomButtonEdit::~TFcCustomButtonEdit() = default;

bool TFcCustomButtonEdit::ButtonsHidden() const {
    return IsReadOnly() && m_hideButtonsOnReadOnly;
}

void TFcCustomButtonEdit::AdjustHeight() {
    if (IsLoading())
        return;
    const int least = MinimumHeightForFont(Font());
    if (height() < least) {
        resize(width(), least); // the resize comes back here
        return;
    }
    int w = 0;
    for (TFcControlButton* b : {&m_pair->Button(), &m_pair->AltBtn()})
        if (!b->isHidden())
            w += b->width();
    // In client coordinates, as the platform places a child window, and
    // clipped to the client area as a child window is.
    const TRect client = ClientBounds();
    const int left = width() - w - 4; // the edges are three-dimensional
    const int h = std::min(height() - 3, client.Height());
    m_pair->setGeometry(client.Left + left, client.Top, w, std::max(0, h));
    UpdateMargins();
    update();
}

void TFcCustomButtonEdit::UpdateMargins() {
    const int right = ButtonsHidden() ? 0 : m_pair->width() + 2;
    Editor().setTextMargins(0, 0, right, 0);
}

int TFcCustomButtonEdit::RightMargin() const {
    return Editor().textMargins().right();
}

void TFcCustomButtonEdit::GetEditRect(TRect& rect) const {
    TFcEdit::GetEditRect(rect);
    if (!ButtonsHidden())
        rect.Right -= m_pair->width() + 2;
}

void TFcCustomButtonEdit::AltBtnClicked(QObject*) {
    DoAltBtnClick();
}

void TFcCustomButtonEdit::ButtonClicked(QObject*) {
    DoButtonClick();
}

void TFcCustomButtonEdit::DoAltBtnClick() {
    if (OnAltBtnClick)
        OnAltBtnClick(this);
}

void TFcCustomButtonEdit::DoButtonClick() {
    if (OnButtonClick)
        OnButtonClick(this);
}

void TFcCustomButtonEdit::SetHideButtonsOnReadOnly(bool value) {
    if (StoreChanged(m_hideButtonsOnReadOnly, value))
        ReadOnlyChanged();
}

void TFcCustomButtonEdit::SetAllowKeyEdit(bool value) {
    if (StoreChanged(m_allowKeyEdit, value))
        UpdateEditorReadOnly();
}

void TFcCustomButtonEdit::ReadOnlyChanged() {
    TFcEdit::ReadOnlyChanged();
    m_pair->setVisible(!ButtonsHidden());
    AdjustHeight();
}

// Per-button accessors.

TFcControlButton& TFcCustomButtonEdit::GetButton(int index) const {
    return index == kAltBtn ? m_pair->AltBtn() : m_pair->Button();
}

const gui::TBitmap& TFcCustomButtonEdit::GetAltBtnGlyph() const {
    return m_pair->AltBtn().Glyph();
}

void TFcCustomButtonEdit::SetAltBtnGlyph(const gui::TBitmap& value) {
    m_pair->AltBtn().SetGlyph(value);
    m_altBtnKind = TButtonKind::bkCustom;
}

const gui::TBitmap& TFcCustomButtonEdit::GetButtonGlyph() const {
    return m_pair->Button().Glyph();
}

void TFcCustomButtonEdit::SetButtonGlyph(const gui::TBitmap& value) {
    m_pair->Button().SetGlyph(value);
    m_buttonKind = TButtonKind::bkCustom;
}

int TFcCustomButtonEdit::GetNumGlyphs(int index) const {
    return GetButton(index).NumGlyphs();
}

void TFcCustomButtonEdit::SetNumGlyphs(int index, int value) {
    GetButton(index).SetNumGlyphs(value);
}

std::string TFcCustomButtonEdit::GetHint(int index) const {
    return gui::QStringToAnsi(GetButton(index).toolTip());
}

void TFcCustomButtonEdit::SetHint(int index, const std::string& value) {
    GetButton(index).setToolTip(gui::AnsiToQString(value));
}

TButtonKind TFcCustomButtonEdit::GetKind(int index) const {
    return index == kAltBtn ? m_altBtnKind : m_buttonKind;
}

void TFcCustomButtonEdit::SetKind(int index, TButtonKind value) {
    TButtonKind& kind = index == kAltBtn ? m_altBtnKind : m_buttonKind;
    if (!StoreChanged(kind, value))
        return;
    if (value != TButtonKind::bkCustom && !IsLoading()) {
        GetButton(index).SetGlyph(GetButtonKindGlyph(value));
        GetButton(index).SetNumGlyphs(2);
    }
}

TShortCut TFcCustomButtonEdit::GetShortCut(int index) const {
    return index == kAltBtn ? m_altBtnShortCut : m_buttonShortCut;
}

void TFcCustomButtonEdit::SetShortCut(int index, TShortCut value) {
    (index == kAltBtn ? m_altBtnShortCut : m_buttonShortCut) = value;
}

bool TFcCustomButtonEdit::GetVisible(int index) const {
    return !GetButton(index).isHidden();
}

void TFcCustomButtonEdit::SetVisible(int index, bool value) {
    GetButton(index).setVisible(value);
    m_pair->ArrangeButtons();
    AdjustHeight();
}

int TFcCustomButtonEdit::GetWidth(int index) const {
    return GetButton(index).width();
}

void TFcCustomButtonEdit::SetWidth(int index, int value) {
    GetButton(index).resize(value, GetButton(index).height());
    AdjustHeight();
    m_pair->ArrangeButtons();
}

// Look and state.

void TFcCustomButtonEdit::SetFlatButtons(bool value) {
    TFcEdit::SetFlatButtons(value);
    m_pair->SetFlat(value);
    AdjustHeight();
}

void TFcCustomButtonEdit::SetFlatButtonColor(TColor value) {
    if (StoreChanged(m_flatButtonColor, value) && FlatButtons())
        UpdateFrameHotState(true, MouseOver());
}

void TFcCustomButtonEdit::SetFrameStyle(TFrameStyle value) {
    TFcEdit::SetFrameStyle(value);
    AdjustHeight();
}

void TFcCustomButtonEdit::TakeFrameSetting(const TFcFrameController& fc,
                                           TFcFrameControllerProperty p) {
    if (p == TFcFrameControllerProperty::fcpFlatButtonColor)
        SetFlatButtonColor(fc.FlatButtonColor());
    else
        TFcEdit::TakeFrameSetting(fc, p);
}

void TFcCustomButtonEdit::UpdateFrameHotState(bool isMouse, bool value) {
    TFcEdit::UpdateFrameHotState(isMouse, value);
    if (!FlatButtons() || !m_pair)
        return;
    const bool hot = value || HasFocus();
    if (gui::ThemesEnabled()) {
        m_pair->SetFlat(!hot);
        m_pair->SetColor(Color());
    } else {
        m_pair->SetColor(hot ? m_flatButtonColor : Color());
    }
}

void TFcCustomButtonEdit::EnabledChanged() {
    TFcEdit::EnabledChanged();
    UpdateMargins();
    m_pair->SetEnabled(isEnabled());
    if (FlatButtons())
        m_pair->SetColor(Color());
}

void TFcCustomButtonEdit::FontChanged() {
    TFcEdit::FontChanged();
    if (m_pair) {
        UpdateMargins();
        AdjustHeight();
    }
}

void TFcCustomButtonEdit::ColorChanged() {
    TFcEdit::ColorChanged();
    if (m_pair)
        m_pair->SetColor(Color());
}

void TFcCustomButtonEdit::AlignmentChanged() {
    TFcEdit::AlignmentChanged();
    if (m_pair)
        UpdateMargins();
}

void TFcCustomButtonEdit::Enter() {
    UpdateMargins();
    TFcEdit::Enter();
}

void TFcCustomButtonEdit::Exit() {
    TFcEdit::Exit();
    UpdateMargins();
}

void TFcCustomButtonEdit::resizeEvent(QResizeEvent* event) {
    TFcEdit::resizeEvent(event);
    if (m_pair)
        AdjustHeight();
}

void TFcCustomButtonEdit::Loaded() {
    TFcEdit::Loaded();
    for (int index : {kButton, kAltBtn})
        if (const TButtonKind kind = GetKind(index); kind != TButtonKind::bkCustom) {
            GetButton(index).SetGlyph(GetButtonKindGlyph(kind));
            GetButton(index).SetNumGlyphs(2);
        }
    AdjustHeight();
}

// Keys.

void TFcCustomButtonEdit::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    TFcEdit::KeyDown(key, shift);
    if (!m_allowKeyEdit && key == Qt::Key_Delete) {
        key = 0;
        InvalidKeyPressed();
        return;
    }
    if (key == 0)
        return;
    m_shortCutPressed = false;
    const int vk = gui::VirtualKeyOf(key, shift);
    if (vk == 0)
        return; // no key code: no shortcut (0 means none)
    const TShortCut s = gui::ShortCutOf(vk, shift);
    TFcControlButton* clicked = nullptr;
    if (ButtonVisible() && m_pair->Button().isEnabled() && s == m_buttonShortCut)
        clicked = &m_pair->Button();
    else if (AltBtnVisible() && m_pair->AltBtn().isEnabled() && s == m_altBtnShortCut)
        clicked = &m_pair->AltBtn();
    if (!clicked)
        return;
    // The key that clicks is consumed; the click may destroy the edit.
    key = 0;
    m_shortCutPressed = true;
    clicked->Click();
}

void TFcCustomButtonEdit::KeyPress(char& key) {
    TFcEdit::KeyPress(key);
    if (!m_allowKeyEdit && (static_cast<unsigned char>(key) >= 32 || key == '\b')) {
        key = 0;
        InvalidKeyPressed();
    }
    if (m_shortCutPressed) {
        m_shortCutPressed = false;
        key = 0;
    }
}

} // namespace vdx
