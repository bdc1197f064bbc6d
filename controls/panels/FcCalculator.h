#pragma once
// A small four-function calculator drawn as a panel: a display and 18 keys
// in a five-column grid, worked with the mouse or the keyboard, coloured by
// key kind. In a pop-up (the numeric edit's drop-down) it has a set key,
// which hands its result to the edit.
//
// The engine differs from the class library's where that was plainly
// wrong: a digit or "." that starts an entry after "=" begins a new
// calculation (7 + 1 = after 12 + 3 = gives 8, not 16); the set key and
// Enter in a pop-up take the entry shown when nothing is pending (Result
// 100, then 5, then set gives 5); and since C++ traps no floating-point
// error, a result or entry that is not finite is the error ("E").

#include "controls/panels/FcPanel.h"
#include "platform/os/float_text.h"

#include <QPointer>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace vdx {

class TFcCalculator;

// The key and display colours of a calculator, by index: 0 NumberFont,
// 1 NumberBtns, 2 OperatorFont, 3 OperatorBtns, 4 CommandFont, 5 CommandBtns,
// 6 DisplayFont, 7 Display.
class TFcCalculatorColors {
public:
    explicit TFcCalculatorColors(QWidget* calculator = nullptr);
    virtual ~TFcCalculatorColors() = default;
    // Holds the calculator it repaints, not the colours alone.
    TFcCalculatorColors(const TFcCalculatorColors&) = delete;
    TFcCalculatorColors& operator=(const TFcCalculatorColors&) = delete;

    // clNone outside 0..7.
    virtual TColor GetColor(int index) const;
    // Stores and repaints the calculator.
    virtual void SetColor(int index, TColor value);
    // The eight colours of source, in index order.
    void Assign(const TFcCalculatorColors& source);

    TColor NumberFont() const { return GetColor(0); }
    TColor NumberBtns() const { return GetColor(1); }
    TColor OperatorFont() const { return GetColor(2); }
    TColor OperatorBtns() const { return GetColor(3); }
    TColor CommandFont() const { return GetColor(4); }
    TColor CommandBtns() const { return GetColor(5); }
    TColor DisplayFont() const { return GetColor(6); }
    TColor Display() const { return GetColor(7); }
    void SetNumberFont(TColor c) { SetColor(0, c); }
    void SetNumberBtns(TColor c) { SetColor(1, c); }
    void SetOperatorFont(TColor c) { SetColor(2, c); }
    void SetOperatorBtns(TColor c) { SetColor(3, c); }
    void SetCommandFont(TColor c) { SetColor(4, c); }
    void SetCommandBtns(TColor c) { SetColor(5, c); }
    void SetDisplayFont(TColor c) { SetColor(6, c); }
    void SetDisplay(TColor c) { SetColor(7, c); }

private:
    std::array<TColor, 8> m_colors;
    QPointer<QWidget> m_calculator;
};

enum class TFcCalcOperation : std::uint8_t { None, Add, Subtract, Multiply, Divide };

// Area numbers: 0..9 the digits, 10 ".", 11 "+", 12 "-", 13 "*", 14 the
// division sign, 15 "C", 16 "=", 17 the set key, 18 the display (and no key).
inline constexpr int kCalcAreaPoint = 10;
inline constexpr int kCalcAreaClear = 15;
inline constexpr int kCalcAreaEquals = 16;
inline constexpr int kCalcAreaSet = 17;
inline constexpr int kCalcAreaDisplay = 18;

// The rectangle of area for a calculator whose client rectangle (after its
// adjustment) is client; borderDepth is 2 for the two-pixel outer borders,
// else 0. Key 17 is empty unless popup.
TRect CalculatorAreaRect(int area, const TRect& client, int borderDepth, bool popup) noexcept;

class TFcCalculator : public TFcCustomPanel {
    Q_OBJECT

public:
    explicit TFcCalculator(QWidget* parent = nullptr);
    ~TFcCalculator() override;

    virtual void DrawDisplay(TCanvas& canvas, const TRect& rect, TColor frameColor);
    virtual void DrawButton(TCanvas& canvas, TRect rect, int area);
    // A new value clears the entry, the pending operation and an error.
    virtual void SetResult(os::Extended value);
    virtual void SetBoldButtons(bool value);
    virtual void SetCalculatorColors(const TFcCalculatorColors& value);
    virtual void SetOverArea(int area);
    virtual void SetPressedArea(int area);
    virtual void SetThemeAware(bool value);

    os::Extended Result() const noexcept { return m_result; }
    bool BoldButtons() const noexcept { return m_boldButtons; }
    TFcCalculatorColors& CalculatorColors() noexcept { return m_colors; }
    bool ThemeAware() const noexcept { return m_themeAware; }
    // A pop-up calculator has the set key and takes no focus of its own.
    bool PopupCalculator() const noexcept { return m_popup; }
    void SetPopupCalculator(bool value);
    bool AutoSize() const noexcept { return m_autoSize; }
    void SetAutoSize(bool value);

    // The engine's state, as the display shows it.
    os::Extended Number() const noexcept { return m_number; }
    TFcCalcOperation CurrentOperation() const noexcept { return m_operation; }
    bool ErrorOccurred() const noexcept { return m_error; }
    // What the display shows: "E" after an error, else the value with the
    // decimal separator always present ("12.").
    std::string DisplayText() const;
    int PressedArea() const noexcept { return m_pressedArea; }
    int OverArea() const noexcept { return m_overArea; }
    // The area's rectangle in calculator coordinates.
    TRect AreaRect(int area) const;
    // The first area from 18 down to 0 that holds p; 18 when none does.
    int AreaAt(TPoint p) const;
    // 5 x the character height + 84: the square the calculator sizes to.
    int AutoSizeExtent() const;
    // Works a key: 0..17 as a click on it does.
    void PressKey(int area);

    std::function<void(QObject* sender)> OnChange;
    // The set key (and Enter) of a pop-up calculator.
    std::function<void(QObject* sender)> OnSetBtnClick;

protected:
    void Paint(TCanvas& canvas) override;
    void FontChanged() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void FocusEnter() override;
    void FocusExit() override;

private:
    void ClickArea();
    void Clear();
    void AddDigit(int digit);
    void DecimalPoint();
    void Operation(TFcCalcOperation operation);
    void Equals();
    void SetKey();
    void Calculate();
    void Error();
    void Changed();
    void ApplyAutoSize();
    // The client rectangle after the calculator's adjustment.
    TRect KeysClientRect() const;
    int CharHeight() const;

    bool m_boldButtons = false;
    TFcCalculatorColors m_colors{this};
    os::Extended m_result = 0;
    bool m_themeAware = true;
    bool m_popup = false;
    bool m_autoSize = true;
    int m_pressedArea = kCalcAreaDisplay;
    int m_overArea = kCalcAreaDisplay;
    TRect m_pressedRect;
    os::Extended m_number = 0;
    TFcCalcOperation m_operation = TFcCalcOperation::None;
    bool m_firstDigit = true;
    bool m_firstNumber = true;
    int m_decimalPlaces = 0;
    bool m_error = false;
    bool m_showResult = true;
};

} // namespace vdx
