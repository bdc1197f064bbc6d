#pragma once
// A list box whose items are rows of TAB-separated columns shown at tab
// stops. The stops are set by hand (tsmManual) or computed from the widths
// of the column texts (tsmAutomatic), so the fields of every row line up.
//
// A tab stop counts average character widths of the list box's font; the
// rows receive them in quarters of that width. Automatic stops are computed
// again after every single insertion or deletion, never inside
// Items().BeginUpdate/EndUpdate: items loaded in one update (AddStrings,
// LoadFromFile, SetText) keep the stops computed before.

#include "controls/lists/FcListBox.h"
#include "controls/storage/FcIntLst.h"

#include <stdexcept>
#include <string>
#include <vector>

namespace vdx {

enum class TFcTabStopsMode : std::uint8_t { tsmManual, tsmAutomatic };

// At most this many stops reach the rows.
inline constexpr int kMaxTabStops = 1000;

// Raised by UpdateFromHeader: there is no header control to take stops from.
class EHeaderError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The automatic stops for columns whose widest texts are columnWidths pixels
// wide: each column gets its width in whole average characters (rounded
// down) plus 4 characters of gap, cumulatively.
std::vector<int> AutomaticTabStops(const std::vector<int>& columnWidths, int aveCharWidth);

class TFcCustomTabbedListBox;

// The tab stops of a tabbed list box; a negative stop is right-aligned.
// Put, Add, Delete and Insert tell the list box; Clear does not.
class TFcTabStopList : public TFcIntegerList {
public:
    TFcTabStopList();
    // The list box holds this object by address, and the object points back.
    TFcTabStopList(const TFcTabStopList&) = delete;
    TFcTabStopList& operator=(const TFcTabStopList&) = delete;

    TFcCustomTabbedListBox* ListBox() const noexcept { return m_listBox; }
    void SetListBox(TFcCustomTabbedListBox* listBox) noexcept { m_listBox = listBox; }

    void Put(int index, int value) override;
    int Add(int value) override;
    void Delete(int index) override;
    void Insert(int index, int value) override;

private:
    void Notify();
    TFcCustomTabbedListBox* m_listBox = nullptr; // the owner
};

class TFcCustomTabbedListBox : public TFcCustomListBox {
    Q_OBJECT
public:
    explicit TFcCustomTabbedListBox(QWidget* parent = nullptr);
    ~TFcCustomTabbedListBox() override;

    // Extra width of the first column (for descendants).
    virtual int GetFirstColumnIndent() const;
    // Copies list and sends the stops.
    virtual void SetTabStops(const TFcIntegerList& list);
    // Switching to tsmAutomatic computes the stops (outside an update);
    // back to tsmManual keeps them.
    virtual void SetTabStopsMode(TFcTabStopsMode mode);
    // The stops as the rows receive them: each times 4, at most 1000.
    virtual std::vector<int> GetTabStopArray() const;
    // The text of column (0: before the first TAB) of row. Throws
    // gui::EListError "Row parameter out of range" or "Column parameter out
    // of range".
    virtual std::string GetCell(int column, int row) const;
    // Replaces that text; the same checks.
    virtual void SetCell(int column, int row, const std::string& value);
    // Clears the stops and computes one per column from the widest text
    // (nothing while loading or being destroyed).
    virtual void CalcAutomaticTabStops();
    // Always throws EHeaderError.
    virtual void UpdateFromHeader(QObject* header);
    // Sends the stops to the rows and repaints.
    void UpdateTabStops();

    TFcTabStopList& TabStops() noexcept { return m_tabStops; }
    const TFcTabStopList& TabStops() const noexcept { return m_tabStops; }
    TFcTabStopsMode TabStopsMode() const noexcept { return m_tabStopsMode; }
    // The width a tab stop counts, from the font.
    int AveCharWidth() const noexcept { return m_aveCharWidth; }
    // The stops the rows use, in dialog units (empty: the default stops).
    const std::vector<int>& RowTabStops() const noexcept { return WindowTabStops(); }
    // The same in pixels.
    std::vector<int> RowTabStopPixels() const { return WindowTabStopPixels(); }

    void Loaded() override;
    void GroupFontChanged() override;
    void DrawGroupItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state) override;
    void UpdateHorzExtent() override;
    void DefaultDrawItem(TCanvas& canvas, int index, TRect rect, TOwnerDrawState state) override;

protected:
    void ItemsMessage(TListBoxMessage message) override;
    void FontChanged() override;
    void CreateWnd() override;
    bool UsesTabStops() const override { return true; }

private:
    // The first (at most 1000) stops times factor.
    std::vector<int> ScaledTabStops(int factor) const;
    // The text of row; throws gui::EListError "Row parameter out of range".
    std::string RowText(int row) const;
    // The stops in pixels for the owner-drawn painters.
    std::vector<int> PainterTabStops() const;
    // One owner-drawn row or header text at the stops, from the side the
    // rows read from.
    void TabbedRowOut(TCanvas& canvas, const TRect& rect, int yOffset, const std::string& text);
    bool AutomaticAllowed() const;

    TFcTabStopList m_tabStops;
    TFcTabStopsMode m_tabStopsMode = TFcTabStopsMode::tsmManual;
    int m_aveCharWidth = 6;
    bool m_destroying = false;
};

// The tabbed list box as forms place it.
class TFcTabbedListBox : public TFcCustomTabbedListBox {
    Q_OBJECT
public:
    using TFcCustomTabbedListBox::TFcCustomTabbedListBox;
};

} // namespace vdx
