#include "controls/edits/FcNumericEdit.h"

#include "controls/base/FcCommon.h"
#include "controls/panels/FcPopupPanel.h"
#include "platform/gui/exception_guard.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace vdx {

namespace {

// The number format of the platform's regional settings.
const os::TFormatSettings kFormat{};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool HasSign(const std::string& s) {
    return s.find_first_of("+-") != std::string::npos;
}

} // namespace

TFcNumericEdit::TFcNumericEdit(QWidget* parent) : TFcEdit(parent) {
    resize(65, 21);
    SetAlignment(TAlignment::taRightJustify);
    SetText(FormatValue(0));
}

TFcNumericEdit::~TFcNumericEdit() = default;

// The key filter.

bool TFcNumericEdit::InCharClass(char key) const {
    const unsigned char k = static_cast<unsigned char>(key);
    if (k < 32)
        return key != '\r';
    if (key == '(' || key == ')' || key == '+' || key == '-' || IsDigit(key))
        return true;
    if (m_integersOnly)
        return false;
    if (key == kFormat.DecimalSeparator)
        return true;
    return m_allowScientificNotation && (key == 'E' || key == 'e');
}

bool TFcNumericEdit::IsValidChar(char key) {
    if (!InCharClass(key))
        return false;
    const std::string text = Text();
    const int start = SelStart();
    const int length = SelLength();
    if (key == kFormat.DecimalSeparator) {
        const bool inText = text.find(key) != std::string::npos;
        if (length == 0)
            return !inText;
        return !inText || SelText().find(key) != std::string::npos;
    }
    if (!m_integersOnly)
        return true;
    if (key == '+' || key == '-') {
        if (start == 0 && !HasSign(text))
            return true;
        if (length > 0 && length == int(text.size()))
            return true;
        if (start != 0)
            return false;
        return length > 0 && HasSign(SelText());
    }
    // Nothing may be typed in front of a leading sign.
    if (start == 0 && length == 0 && !text.empty() && (text[0] == '+' || text[0] == '-'))
        return false;
    return true;
}

bool TFcNumericEdit::AcceptsInsertedText(const std::string& inserted, const std::string& result) {
    for (char c : inserted)
        if (static_cast<unsigned char>(c) < 32 || !InCharClass(c))
            return false;
    return std::count(result.begin(), result.end(), kFormat.DecimalSeparator) <= 1;
}

void TFcNumericEdit::KeyDown(int& key, Qt::KeyboardModifiers shift) {
    const bool keypadDecimal =
        (key == Qt::Key_Period || key == Qt::Key_Comma) && shift.testFlag(Qt::KeypadModifier);
    TFcEdit::KeyDown(key, shift);
    m_keypadDecimal = keypadDecimal;
}

void TFcNumericEdit::KeyPress(char& key) {
    if (m_keypadDecimal) {
        m_keypadDecimal = false;
        key = kFormat.DecimalSeparator;
    }
    TFcEdit::KeyPress(key);
    if (key != 0 && !IsValidChar(key)) {
        key = 0;
        InvalidKeyPressed();
    }
}

// Value and text.

std::string TFcNumericEdit::FormatValue(Extended value) {
    return os::FormatFloat(m_displayFormat, value, kFormat);
}

Extended TFcNumericEdit::ParseValue() {
    std::string s = Text();
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos)
        return 0;
    s = s.substr(first, s.find_last_not_of(' ') - first + 1);
    const bool negative = s[0] == '-' || (s[0] == '(' && s.find(')') == s.size() - 1);
    std::string r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '-') {
            if (!m_allowScientificNotation || (i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e')))
                r += c;
        } else if (IsDigit(c) || c == kFormat.DecimalSeparator ||
                   (m_allowScientificNotation && (c == 'E' || c == 'e'))) {
            r += c;
        }
    }
    if (r.empty())
        return 0;
    if (negative && FirstNonBlankChar(r) != '-')
        r.insert(0, 1, '-');
    return os::StrToFloatDef(r, 0, kFormat);
}

Extended TFcNumericEdit::GetValue() {
    try {
        if (!Text().empty())
            return ParseValue();
        if (m_allowBlank)
            return m_blankValue;
        SetText(FormatValue(m_min));
        return ParseValue();
    } catch (...) {
        return m_min;
    }
}

void TFcNumericEdit::SetValue(Extended value) {
    if (value != ParseValue())
        SetText(FormatValue(value));
}

std::int64_t TFcNumericEdit::GetIntValue() {
    return os::RoundToInt64(GetValue());
}

void TFcNumericEdit::SetIntValue(std::int64_t value) {
    SetValue(Extended(value));
}

void TFcNumericEdit::SetIntegersOnly(bool value) {
    if (!StoreChanged(m_integersOnly, value))
        return;
    // Rounded as a float: a value beyond the integer range stays as it is.
    if (value)
        SetValue(std::nearbyint(GetValue()));
}

void TFcNumericEdit::SetMin(Extended value) {
    if (m_min == value)
        return;
    m_min = value;
    if (value > m_max)
        m_max = value;
    update();
}

void TFcNumericEdit::SetMax(Extended value) {
    if (m_max == value)
        return;
    m_max = value;
    if (!(value >= m_min))
        m_min = value;
    update();
}

void TFcNumericEdit::SetDisplayFormat(const std::string& value) {
    if (!StoreChanged(m_displayFormat, value))
        return;
    SetValue(GetValue());
    if (!IsLoading())
        SetText(FormatValue(GetValue()));
}

void TFcNumericEdit::SetCalculatorColors(const TFcCalculatorColors& value) {
    m_calculatorColors.Assign(value);
}

Extended TFcNumericEdit::EnforceRange(Extended value, bool& rejected) {
    if (m_min != m_max || m_checkRange) {
        bool autoCorrect = true;
        if (value < m_min) {
            RangeError(value, m_min, autoCorrect);
            if (autoCorrect)
                value = m_min;
            else
                rejected = true;
        } else if (value > m_max) {
            RangeError(value, m_max, autoCorrect);
            if (autoCorrect)
                value = m_max;
            else
                rejected = true;
        }
    }
    m_lastValue = value;
    return value;
}

void TFcNumericEdit::RangeError(Extended enteredValue, Extended adjustedValue, bool& autoCorrect) {
    if (OnRangeError)
        OnRangeError(this, enteredValue, adjustedValue, autoCorrect);
}

// Loading, change, entry and exit.

void TFcNumericEdit::Loaded() {
    TFcEdit::Loaded();
    m_loadingText = true;
    try {
        m_lastValue = ParseValue();
        SetText(FormatValue(m_lastValue));
    } catch (...) {
        m_loadingText = false;
        throw;
    }
    m_loadingText = false;
}

void TFcNumericEdit::Change() {
    if (IsLoading() || m_loadingText)
        return;
    TFcEdit::Change();
}

void TFcNumericEdit::Enter() {
    m_lastValue = ParseValue();
    if (!m_allowBlank)
        SetText(FormatValue(m_lastValue));
    TFcEdit::Enter();
}

bool TFcNumericEdit::CheckedExit() {
    if (m_allowBlank && Text().empty())
        return TFcEdit::CheckedExit();
    bool rejected = false;
    Extended value = 0;
    try {
        value = EnforceRange(ParseValue(), rejected);
    } catch (...) {
        value = m_min;
        SetValue(value);
    }
    if (rejected) {
        SetFocus(); // the entry stays as typed, and so does the focus
        return false;
    }
    SetText(FormatValue(value));
    return TFcEdit::CheckedExit();
}

// The pop-up calculator.

void TFcNumericEdit::DropDown() {
    if (ReadOnly())
        return;
    QPointer<TFcNumericEdit> self(this);
    TNotifyEvent onEnter, onExit;
    gui::Guard([&] {
        TFcEdit::DropDown();
        onEnter = std::move(OnEnter);
        onExit = std::move(OnExit);
        OnEnter = nullptr;
        OnExit = nullptr;
        try {
            PopupCalculator();
        } catch (...) {
            if (self) {
                OnEnter = std::move(onEnter);
                OnExit = std::move(onExit);
            }
            throw;
        }
        if (self) {
            OnEnter = std::move(onEnter);
            OnExit = std::move(onExit);
        }
    });
}

void TFcNumericEdit::PopupCalculator() {
    QWidget* parent = parentWidget();
    if (!parent)
        return;
    // Anything may be destroyed while the pop-up runs, this edit too.
    QPointer<TFcNumericEdit> self(this);
    const bool autoSelect = AutoSelect();
    SetAutoSelect(false);
    QPointer<TFcPopupPanel> panel = new TFcPopupPanel(parent);
    try {
        auto* calculator = new TFcCalculator(panel);
        TFont font = panel->Font();
        font.Name = Font().Name;
        font.Color = Font().Color;
        font.Height = Font().Height;
        panel->SetFont(font);
        calculator->SetFont(font);
        calculator->SetPopupCalculator(true);
        calculator->SetThemeAware(UseThemedFrame());
        calculator->SetColor(Color());
        calculator->SetResult(GetValue());
        if ((FrameVisible() && !UseThemedFrame() && FrameStyle() == TFrameStyleEx::fsFlat) ||
            FrameStyle() == TFrameStyleEx::fsFlatBold) {
            calculator->SetBorderOuter(TFrameStyleEx::fsFlat);
            calculator->SetFlatColor(FrameColor());
        }
        calculator->show();
        calculator->SetCalculatorColors(m_calculatorColors);
        calculator->SetBoldButtons(m_calculatorBoldButtons);
        QPointer<TFcPopupPanel> closer = panel;
        calculator->OnSetBtnClick = [closer](QObject*) {
            if (closer)
                closer->ClosePopup();
        };
        QPointer<TFcCalculator> result = calculator;
        const bool accepted = panel->Popup(this);
        if (self && accepted && result)
            SetValue(result->Result());
    } catch (...) {
        delete panel.data();
        if (self)
            SetAutoSelect(autoSelect);
        throw;
    }
    delete panel.data();
    if (self)
        SetAutoSelect(autoSelect);
}

} // namespace vdx
