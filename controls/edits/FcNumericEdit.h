#pragma once
// An edit for one number: it filters the typed keys, parses the text into
// an extended value, shows the value through a display format, clamps it to
// Min..Max when the focus leaves, and can drop down a calculator through the
// edit's drop button (CalculatorVisible).
//
// The value is clamped only by a focus move inside the window (a pop-up, a
// switch to another window or hiding the edit is no exit). Text that arrives
// by paste, drop or undo must consist of characters the key filter takes,
// with one decimal separator at most.

#include "controls/edits/FcEdit.h"
#include "controls/panels/FcCalculator.h"
#include "platform/os/float_text.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vdx {

using os::Extended;

// enteredValue is the value out of range, adjustedValue the bound it would
// become; clearing autoCorrect keeps the entry (and the focus) instead.
using TFcRangeErrorEvent = std::function<void(QObject* sender, Extended enteredValue,
                                              Extended adjustedValue, bool& autoCorrect)>;

class TFcNumericEdit : public TFcEdit {
    Q_OBJECT

public:
    explicit TFcNumericEdit(QWidget* parent = nullptr);
    ~TFcNumericEdit() override;

    // Whether key may be typed where the caret and the selection are.
    virtual bool IsValidChar(char key);
    // FormatFloat(DisplayFormat, value).
    virtual std::string FormatValue(Extended value);
    // The number in the text: the sign from a leading "-" or from enclosing
    // parentheses, then its digits, decimal separator (and exponent letters
    // with scientific notation) as a number; 0 for a text without one.
    virtual Extended ParseValue();
    // Runs the calculator in a pop-up next to the edit; an accepted pop-up
    // sets the value to the calculator's result.
    virtual void PopupCalculator();
    // True rounds the value to an integer.
    virtual void SetIntegersOnly(bool value);
    virtual void SetMin(Extended value); // Max follows up
    virtual void SetMax(Extended value); // Min follows down
    // Value rounded to the nearest integer, halves to even, saturated at
    // the 64-bit limits; NaN gives 0.
    virtual std::int64_t GetIntValue();
    virtual void SetIntValue(std::int64_t value);
    // The parsed text; an empty one is BlankValue with AllowBlank, else Min
    // (which is then written into the edit). Never throws: Min on an error.
    virtual Extended GetValue();
    // value clamped to Min..Max (when they differ or CheckRange); a
    // handler of OnRangeError may reject instead (rejected := true, value
    // unchanged).
    virtual Extended EnforceRange(Extended value, bool& rejected);
    // Rewrites the text only when value differs from what it shows.
    virtual void SetValue(Extended value);
    virtual void SetDisplayFormat(const std::string& value);
    virtual void SetCalculatorColors(const TFcCalculatorColors& value);

    Extended Value() { return GetValue(); }
    std::int64_t IntValue() { return GetIntValue(); }

    void Loaded() override;

    bool AllowBlank() const noexcept { return m_allowBlank; }
    void SetAllowBlank(bool value) noexcept { m_allowBlank = value; }
    bool AllowScientificNotation() const noexcept { return m_allowScientificNotation; }
    void SetAllowScientificNotation(bool value) noexcept { m_allowScientificNotation = value; }
    Extended BlankValue() const noexcept { return m_blankValue; }
    void SetBlankValue(Extended value) noexcept { m_blankValue = value; }
    bool CheckRange() const noexcept { return m_checkRange; }
    void SetCheckRange(bool value) noexcept { m_checkRange = value; }
    bool IntegersOnly() const noexcept { return m_integersOnly; }
    Extended Min() const noexcept { return m_min; }
    Extended Max() const noexcept { return m_max; }
    const std::string& DisplayFormat() const noexcept { return m_displayFormat; }
    // The drop button of the edit.
    bool CalculatorVisible() const noexcept { return DropButtonVisible(); }
    void SetCalculatorVisible(bool value) { SetDropButtonVisible(value); }
    bool CalculatorBoldButtons() const noexcept { return m_calculatorBoldButtons; }
    void SetCalculatorBoldButtons(bool value) noexcept { m_calculatorBoldButtons = value; }
    const TFcCalculatorColors& CalculatorColors() const noexcept { return m_calculatorColors; }
    // The value at the last entry, load or range check.
    Extended LastValue() const noexcept { return m_lastValue; }

    TFcRangeErrorEvent OnRangeError;

protected:
    // Fires OnRangeError.
    virtual void RangeError(Extended enteredValue, Extended adjustedValue, bool& autoCorrect);

    void Change() override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    void KeyPress(char& key) override;
    void DropDown() override;
    bool AcceptsInsertedText(const std::string& inserted, const std::string& result) override;
    void Enter() override;
    bool CheckedExit() override;

private:
    // The key filter's class test alone (no position rules).
    bool InCharClass(char key) const;

    bool m_allowBlank = false;
    bool m_allowScientificNotation = true;
    Extended m_blankValue = 0;
    bool m_checkRange = false;
    bool m_integersOnly = true;
    Extended m_min = 0;
    Extended m_max = 0;
    std::string m_displayFormat = ",0;(,0)";
    Extended m_lastValue = 0;
    bool m_calculatorBoldButtons = false;
    TFcCalculatorColors m_calculatorColors;
    bool m_keypadDecimal = false;
    bool m_loadingText = false;
};

} // namespace vdx
