#include "controls/panels/FcCalculator.h"

#include "controls/base/FcCommon.h"
#include "controls/base/FcGrafx.h"
#include "platform/gui/exception_guard.h"
#include "platform/gui/system_facts.h"

#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>

#include <cmath>

namespace vdx {

namespace {

const os::TFormatSettings kFormat{};

// The captions of the areas; 14 is the division sign of code page 1252.
constexpr std::array<const char*, 19> kCaptions = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", ".", "+", "-", "*", "\xF7", "C", "=", "", ""};

bool IsZero(os::Extended value) {
    return std::fabs(value) <= 1e-16L; // the runtime's default tolerance for extended
}

} // namespace

// Colours.

TFcCalculatorColors::TFcCalculatorColors(QWidget* calculator)
    : m_colors{gui::clWindowText, gui::clBtnFace, gui::clWindowText, gui::clBtnFace,
               gui::clWindowText, gui::clBtnFace, gui::clWindowText, gui::clWindow},
      m_calculator(calculator) {}

TColor TFcCalculatorColors::GetColor(int index) const {
    return index >= 0 && index < 8 ? m_colors[std::size_t(index)] : gui::clNone;
}

void TFcCalculatorColors::SetColor(int index, TColor value) {
    if (index < 0 || index >= 8)
        return;
    m_colors[std::size_t(index)] = value;
    if (m_calculator)
        m_calculator->update();
}

void TFcCalculatorColors::Assign(const TFcCalculatorColors& source) {
    for (int i = 0; i < 8; ++i)
        SetColor(i, source.GetColor(i));
}

// Layout.

TRect CalculatorAreaRect(int area, const TRect& client, int c, bool popup) noexcept {
    const int a = (client.Right - client.Left - 24) / 5;
    const int b = a + 1;
    auto p = [&](int i) { return c + 4 + i * (b + 4); };
    auto key = [&](int col, int row) { return gui::Rect(p(col), p(row), p(col) + b, p(row) + b); };
    switch (area) {
    case kCalcAreaDisplay:
        return gui::Rect(p(0), p(0), (popup ? p(3) : p(4)) + b, p(0) + b);
    case kCalcAreaSet:
        return popup ? key(4, 0) : TRect{};
    case 7:
    case 8:
    case 9:
        return key(area - 7, 1);
    case 14:
        return key(3, 1);
    case kCalcAreaClear:
        return gui::Rect(p(4), p(1), p(4) + b, p(2) + b);
    case 4:
    case 5:
    case 6:
        return key(area - 4, 2);
    case 13:
        return key(3, 2);
    case 1:
    case 2:
    case 3:
        return key(area - 1, 3);
    case 12:
        return key(3, 3);
    case kCalcAreaEquals:
        return gui::Rect(p(4), p(3), p(4) + b, p(4) + b);
    case 0:
        return gui::Rect(p(0), p(4), p(1) + b, p(4) + b);
    case kCalcAreaPoint:
        return key(2, 4);
    case 11:
        return key(3, 4);
    default:
        return {};
    }
}

TFcCalculator::TFcCalculator(QWidget* parent) : TFcCustomPanel(parent) {
    SetBorderOuter(TFrameStyleEx::fsLowered);
    SetColor(gui::clWindow);
    SetFlatColorAdjustment(0);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(147, 159);
    Clear();
    ApplyAutoSize();
}

TFcCalculator::~TFcCalculator() = default;

int TFcCalculator::CharHeight() const {
    QImage probe(1, 1, QImage::Format_RGB32);
    TCanvas canvas(probe);
    canvas.Font = Font();
    return canvas.TextHeight("0");
}

int TFcCalculator::AutoSizeExtent() const {
    return 5 * CharHeight() + 84;
}

void TFcCalculator::ApplyAutoSize() {
    const int extent = AutoSizeExtent();
    // Never smaller than the auto size.
    setMinimumSize(extent, extent);
    if (m_autoSize)
        resize(extent, extent);
}

void TFcCalculator::SetAutoSize(bool value) {
    if (StoreChanged(m_autoSize, value))
        ApplyAutoSize();
}

void TFcCalculator::FontChanged() {
    ApplyAutoSize();
    update();
}

void TFcCalculator::SetPopupCalculator(bool value) {
    if (!StoreChanged(m_popup, value))
        return;
    // In a pop-up the pop-up keeps the keyboard.
    setFocusPolicy(value ? Qt::NoFocus : Qt::StrongFocus);
    update();
}

TRect TFcCalculator::KeysClientRect() const {
    TRect r = AdjustClientRect(GetClientRect());
    AdjustRectForBorders(r, false);
    return r;
}

TRect TFcCalculator::AreaRect(int area) const {
    const TFrameStyleEx outer = BorderOuter();
    const bool deep = BorderStyleDepth(outer, BevelWidth()) == 2 &&
                      outer != TFrameStyleEx::fsStatus && outer != TFrameStyleEx::fsPopup;
    return CalculatorAreaRect(area, KeysClientRect(), deep ? 2 : 0, m_popup);
}

int TFcCalculator::AreaAt(TPoint p) const {
    for (int area = kCalcAreaDisplay; area >= 0; --area)
        if (PtInRect(AreaRect(area), p))
            return area;
    return kCalcAreaDisplay;
}

// Properties.

void TFcCalculator::SetResult(os::Extended value) {
    if (value == m_result)
        return;
    m_result = value;
    m_number = value;
    m_operation = TFcCalcOperation::None;
    m_firstDigit = true;
    m_firstNumber = true;
    m_decimalPlaces = 0;
    m_error = false;
    m_showResult = true;
    update();
}

void TFcCalculator::SetBoldButtons(bool value) {
    if (StoreChanged(m_boldButtons, value))
        update();
}

void TFcCalculator::SetThemeAware(bool value) {
    if (StoreChanged(m_themeAware, value))
        update();
}

void TFcCalculator::SetCalculatorColors(const TFcCalculatorColors& value) {
    m_colors.Assign(value);
}

void TFcCalculator::SetOverArea(int area) {
    if (area == m_overArea)
        return;
    const bool touchesPressed = m_overArea == m_pressedArea || area == m_pressedArea;
    m_overArea = area;
    if (touchesPressed && !m_pressedRect.IsEmpty())
        update(gui::ToQRect(m_pressedRect));
}

void TFcCalculator::SetPressedArea(int area) {
    if (area == m_pressedArea)
        return;
    m_pressedArea = area;
    if (!m_pressedRect.IsEmpty())
        update(gui::ToQRect(m_pressedRect));
}

// The engine.

void TFcCalculator::Clear() {
    m_result = 0;
    m_number = 0;
    m_operation = TFcCalcOperation::None;
    m_firstDigit = true;
    m_firstNumber = true;
    m_decimalPlaces = 0;
    m_error = false;
    m_showResult = true;
    update();
}

void TFcCalculator::Error() {
    m_error = true;
    update();
}

void TFcCalculator::AddDigit(int digit) {
    if (m_error)
        return;
    if (m_firstDigit) {
        // A new entry after "=" starts a new calculation.
        if (m_firstNumber)
            m_operation = TFcCalcOperation::None;
        m_number = digit;
        m_firstDigit = false;
    } else if (m_decimalPlaces <= 0) {
        m_number = digit + std::fabs(m_number) * 10;
    } else {
        m_number = std::fabs(m_number) + digit * std::pow(10.0L, -m_decimalPlaces);
        ++m_decimalPlaces;
    }
    m_showResult = false;
    if (!std::isfinite(m_number))
        Error();
    update();
}

void TFcCalculator::DecimalPoint() {
    if (m_error || m_decimalPlaces > 1)
        return;
    if (m_firstDigit) {
        if (m_firstNumber)
            m_operation = TFcCalcOperation::None;
        m_number = 0;
        m_showResult = false;
    }
    m_decimalPlaces = 1;
    m_firstDigit = false;
}

void TFcCalculator::Operation(TFcCalcOperation operation) {
    if (m_error)
        return;
    if (!m_firstNumber) {
        Calculate();
    } else {
        m_firstNumber = false;
        if (m_operation == TFcCalcOperation::None)
            m_result = m_number;
    }
    m_operation = operation;
    m_firstDigit = true;
    m_decimalPlaces = 0;
}

void TFcCalculator::Equals() {
    if (m_error)
        return;
    Calculate();
    m_firstDigit = true;
    m_decimalPlaces = 0;
    m_firstNumber = true;
    Changed();
}

void TFcCalculator::Calculate() {
    switch (m_operation) {
    case TFcCalcOperation::None:
        m_result = m_number;
        m_firstDigit = true;
        m_decimalPlaces = 0;
        m_firstNumber = true;
        break;
    case TFcCalcOperation::Add:
        m_result = m_result + m_number;
        m_showResult = true;
        break;
    case TFcCalcOperation::Subtract:
        m_result = m_result - m_number;
        m_showResult = true;
        break;
    case TFcCalcOperation::Multiply:
        m_result = m_result * m_number;
        m_showResult = true;
        break;
    case TFcCalcOperation::Divide:
        if (IsZero(m_number)) {
            Error();
            return;
        }
        m_result = m_result / m_number;
        m_showResult = true;
        break;
    }
    if (!std::isfinite(m_result))
        Error();
}

void TFcCalculator::SetKey() {
    if (!m_error) {
        // Nothing pending and an entry shown: the entry becomes the result.
        if (!m_firstNumber || !m_showResult)
            Calculate();
    }
    if (m_popup && OnSetBtnClick)
        OnSetBtnClick(this);
}

void TFcCalculator::Changed() {
    if (OnChange)
        OnChange(this);
}

void TFcCalculator::PressKey(int area) {
    if (area < 0 || area > kCalcAreaSet)
        return;
    // The set key may close a pop-up that destroys the calculator.
    QPointer<TFcCalculator> self(this);
    if (area <= 9)
        AddDigit(area);
    else if (area == kCalcAreaPoint)
        DecimalPoint();
    else if (area <= 14)
        Operation(TFcCalcOperation(area - 10));
    else if (area == kCalcAreaClear)
        Clear();
    else if (area == kCalcAreaEquals)
        Equals();
    else
        SetKey();
    if (!self)
        return;
    update();
    TFcCustomPanel::Click();
}

void TFcCalculator::ClickArea() {
    if (m_pressedArea != m_overArea)
        return;
    PressKey(m_overArea);
}

// Display and keys.

std::string TFcCalculator::DisplayText() const {
    if (m_error)
        return "E";
    const os::Extended value = m_showResult ? m_result : m_number;
    std::string text = m_decimalPlaces < 2 ? os::FloatToStr(value, kFormat)
                                           : os::FloatToStrF(value, os::TFloatFormat::ffFixed, 15,
                                                             m_decimalPlaces - 1, kFormat);
    if (text.find(kFormat.DecimalSeparator) == std::string::npos)
        text += kFormat.DecimalSeparator;
    return text;
}

void TFcCalculator::paintEvent(QPaintEvent*) {
    gui::Guard([this] {
        TCanvas canvas(*this);
        Paint(canvas);
    });
}

void TFcCalculator::Paint(TCanvas& canvas) {
    TFcCustomPanel::Paint(canvas);
    const TColor frame = FlatColor();
    canvas.Font = Font();
    if (m_boldButtons)
        canvas.Font.Style = canvas.Font.Style | gui::TFontStyle::fsBold;
    for (int area = 0; area <= kCalcAreaDisplay; ++area) {
        if (area == kCalcAreaSet && !m_popup)
            continue;
        if (area == kCalcAreaDisplay)
            DrawDisplay(canvas, AreaRect(area), frame);
        else
            DrawButton(canvas, AreaRect(area), area);
    }
}

void TFcCalculator::DrawDisplay(TCanvas& canvas, const TRect& rect, TColor frameColor) {
    const TRect inner = DrawOutlineBox(canvas, rect, frameColor);
    const std::string text = DisplayText();
    canvas.Brush.SetColor(m_colors.Display());
    canvas.Font.Color = m_colors.DisplayFont();
    const int x = inner.Right - 2 - canvas.TextWidth(text);
    const int y = inner.Top + (inner.Height() - CharHeight()) / 2;
    canvas.TextRect(inner, x, y, text);
    if (hasFocus())
        DrawOutlineBox(canvas, inner, LightenColor(frameColor, 40));
}

void TFcCalculator::DrawButton(TCanvas& canvas, TRect rect, int area) {
    const bool pressed = area == m_pressedArea && area == m_overArea;
    const TFrameStyleEx outer = BorderOuter();
    const bool flat = outer == TFrameStyleEx::fsFlat || outer == TFrameStyleEx::fsFlatBold ||
                      outer == TFrameStyleEx::fsFlatRounded;
    TColor face = m_colors.CommandBtns(), text = m_colors.CommandFont();
    if (area <= kCalcAreaPoint) {
        face = m_colors.NumberBtns();
        text = m_colors.NumberFont();
    } else if (area <= 14) {
        face = m_colors.OperatorBtns();
        text = m_colors.OperatorFont();
    }
    TRect inner;
    if (face == gui::clBtnFace) {
        if (pressed)
            inner = DrawButtonBorder(canvas, rect, true);
        else if (flat)
            inner = DrawFrameStyleBorder(canvas, rect, TFrameStyleEx::fsFlat);
        else
            inner = Draw3DBorder(canvas, rect, false);
    } else if (pressed) {
        inner = DrawColorButtonBorder(canvas, rect, face, true);
    } else if (flat) {
        inner = DrawColorFrameStyleBorder(canvas, rect, face, TFrameStyleEx::fsFlat);
    } else {
        inner = DrawColorButtonBorder(canvas, rect, face, false);
    }
    canvas.Brush.SetColor(face);
    canvas.FillRect(inner);
    if (pressed)
        inner = gui::OffsetRect(inner, 2, 2);
    if (area == kCalcAreaSet) {
        // The set key's upward triangle.
        DrawArrow(canvas, inner, 0, isEnabled(), 0);
    } else {
        canvas.Brush.SetStyle(gui::TBrushStyle::bsClear);
        canvas.Font.Color = text;
        DrawCenteredText(canvas, kCaptions[std::size_t(area)], inner);
    }
    canvas.Brush.SetStyle(gui::TBrushStyle::bsSolid);
}

// Mouse and keyboard.

void TFcCalculator::mousePressEvent(QMouseEvent* event) {
    TFcFramedControl::mousePressEvent(event);
    if (!m_popup && isVisible())
        setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint p = event->position().toPoint();
    SetOverArea(rect().contains(p) ? AreaAt({p.x(), p.y()}) : kCalcAreaDisplay);
    m_pressedRect = m_overArea == kCalcAreaDisplay ? TRect{} : AreaRect(m_overArea);
    SetPressedArea(m_overArea);
}

void TFcCalculator::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    SetOverArea(AreaAt({p.x(), p.y()}));
    TFcFramedControl::mouseMoveEvent(event);
}

void TFcCalculator::mouseReleaseEvent(QMouseEvent* event) {
    QPointer<TFcCalculator> self(this);
    if (event->button() == Qt::LeftButton) {
        const QPoint p = event->position().toPoint();
        SetOverArea(rect().contains(p) ? AreaAt({p.x(), p.y()}) : kCalcAreaDisplay);
        gui::Guard([this] { ClickArea(); });
        if (!self)
            return;
        SetPressedArea(kCalcAreaDisplay);
    }
    TFcFramedControl::mouseReleaseEvent(event);
}

void TFcCalculator::keyPressEvent(QKeyEvent* event) {
    if (!KeyDown(*event))
        return;
    event->accept();
    const int key = event->key();
    const bool keypad = event->modifiers().testFlag(Qt::KeypadModifier);
    QPointer<TFcCalculator> self(this);
    auto press = [&](int area) { gui::Guard([&] { PressKey(area); }); };
    if (keypad && key >= Qt::Key_0 && key <= Qt::Key_9) {
        press(key - Qt::Key_0);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        press(m_popup ? kCalcAreaSet : kCalcAreaEquals);
        return;
    }
    if (keypad && (key == Qt::Key_Period || key == Qt::Key_Comma)) {
        press(kCalcAreaPoint);
        return;
    }
    const QString text = event->text();
    const char c = text.size() == 1 ? char(text[0].toLatin1()) : 0;
    switch (c) {
    case '*':
        press(13);
        break;
    case '+':
        press(11);
        break;
    case '-':
        press(12);
        break;
    case '/':
        press(14);
        break;
    case '=':
        press(kCalcAreaEquals);
        break;
    case 'C':
    case 'c':
        press(kCalcAreaClear);
        break;
    default:
        if (c >= '0' && c <= '9')
            press(c - '0');
        else if (c != 0 && c == kFormat.DecimalSeparator)
            press(kCalcAreaPoint);
        else
            event->ignore();
        break;
    }
}

void TFcCalculator::FocusEnter() {
    update();
    TFcCustomPanel::FocusEnter();
}

void TFcCalculator::FocusExit() {
    update();
    TFcCustomPanel::FocusExit();
}

} // namespace vdx
