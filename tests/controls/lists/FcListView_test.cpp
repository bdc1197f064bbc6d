#include "controls/lists/FcListView.h"

#include "platform/gui/popup_menu.h"

#include "WidgetPictures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollBar>
#include <QTreeView>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace vdx {
namespace {

using Strings = std::vector<std::string>;

// A report view whose client area is width pixels wide (the frame takes 2
// a side).
void MakeReport(TFcCustomListView& list, int width, std::vector<int> columns) {
    list.resize(width + 4, 200);
    for (std::size_t i = 0; i < columns.size(); ++i)
        list.AddColumn({"Col" + std::to_string(i), columns[i]});
    list.SetViewStyle(gui::TViewStyle::vsReport);
}

void Press(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&w, &press);
}

// Shown, with the views laid out.
void Show(TFcCustomListView& list) {
    list.show();
    QCoreApplication::processEvents();
}

Strings Captions(const TFcCustomListView& list) {
    Strings s;
    for (int i = 0; i < list.Items().Count(); ++i)
        s.push_back(list.Items().Item(i)->Caption());
    return s;
}

void ClickSection(TFcCustomListView& list, int index) {
    QHeaderView& header = list.Header();
    const QPoint at(header.sectionViewportPosition(index) + header.sectionSize(index) / 2,
                    header.height() / 2);
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(type, at, header.viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(header.viewport(), &e);
    }
}

TEST(FcListViewTest, ItemsAndSubItemsInReportView) {
    TFcCustomListView list;
    MakeReport(list, 300, {100, 100, 50});
    Show(list);
    TListItem* a = list.Items().Add("alpha");
    a->SetSubItems({"1 KB", "Text"});
    TListItem* b = list.Items().Add("beta");
    b->SetSubItems({"2 KB"}); // fewer sub-items than columns
    ASSERT_TRUE(dynamic_cast<QTreeView*>(&list.View()));
    const QAbstractItemModel& model = *list.View().model();
    EXPECT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.index(0, 1).data().toString(), "1 KB");
    EXPECT_EQ(model.index(0, 2).data().toString(), "Text");
    EXPECT_EQ(model.index(1, 2).data().toString(), "");
    b->SetCaption("gamma");
    EXPECT_EQ(model.index(1, 0).data().toString(), "gamma");

    // Shown rows: the item under a point, and its bounds across the columns.
    const TRect rb = b->DisplayRect(gui::TDisplayCode::drBounds);
    EXPECT_EQ(list.GetItemAt(rb.Left + 150, (rb.Top + rb.Bottom) / 2), b);
    EXPECT_GE(rb.Width(), 250);

    // The other views show the same items.
    list.SetSelected(b);
    list.SetViewStyle(gui::TViewStyle::vsList);
    EXPECT_TRUE(dynamic_cast<QListView*>(&list.View()));
    EXPECT_EQ(list.View().model()->rowCount(), 2);
    EXPECT_EQ(list.Selected(), b);
}

TEST(FcListViewTest, ImagesWithOverlayAndCutLook) {
    gui::TCustomImageList images(4, 4);
    QImage strip(8, 4, QImage::Format_RGB32);
    strip.fill(Qt::red);
    for (int x = 4; x < 8; ++x)
        for (int y = 0; y < 4; ++y)
            strip.setPixelColor(x, y, y == 0 ? QColor(Qt::blue) : QColor(Qt::white));
    images.AddMasked(strip, gui::clWhite); // image 1: a blue top row only
    images.SetOverlayImage(1, 1);
    TFcCustomListView list;
    list.SetSmallImages(&images);
    MakeReport(list, 300, {100});
    TListItem* item = list.Items().Add("one");
    item->SetImageIndex(0);
    auto icon = [&] {
        return list.View().model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    };
    EXPECT_EQ(icon().pixelColor(0, 3), QColor(Qt::red));
    item->SetOverlayIndex(0); // the first overlay image over it
    EXPECT_EQ(icon().pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(icon().pixelColor(0, 3), QColor(Qt::red));
    item->SetCut(true); // the image half shown, the overlay whole
    EXPECT_NEAR(icon().pixelColor(0, 3).alpha(), 128, 2);
    EXPECT_EQ(icon().pixelColor(0, 0), QColor(Qt::blue));
    item->SetImageIndex(-1);
    EXPECT_TRUE(icon().isNull());
}

TEST(FcListViewTest, CaptionEditedInPlace) {
    TFcCustomListView list;
    MakeReport(list, 300, {100, 100});
    TListItem* item = list.Items().Add("old");
    item->SetSubItems({"kept"});
    Show(list);
    bool allow = false;
    list.OnEditing = [&](QObject*, TListItem*, bool& a) { a = allow; };
    list.OnEdited = [&](QObject*, TListItem*, std::string& text) { text += "!"; };
    EXPECT_FALSE(item->EditCaption()); // refused
    allow = true;
    ASSERT_TRUE(item->EditCaption());
    auto* editor = list.View().findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText("new");
    Press(*editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(list.IsEditing());
    EXPECT_EQ(item->Caption(), "new!");
    EXPECT_EQ(item->SubItems(), (Strings{"kept"}));
}

// With row select a click on a sub-item of the selected row edits the
// caption only when AllowRowClickEdit is on.
TEST(FcListViewTest, RowClickEditsOnlyWhenAllowed) {
    for (bool allowRow : {false, true}) {
        TFcCustomListView list;
        list.SetRowSelect(true);
        list.SetAllowRowClickEdit(allowRow);
        MakeReport(list, 300, {100, 100});
        TListItem* item = list.Items().Add("one");
        item->SetSubItems({"sub"});
        Show(list);
        list.SetSelected(item);
        const TRect r = item->DisplayRect(gui::TDisplayCode::drBounds);
        const QPoint at(150, (r.Top + r.Bottom) / 2);
        QWidget* viewport = list.View().viewport();
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
            QCoreApplication::sendEvent(viewport, &e);
        }
        // The platform starts a click's edit after the double-click time.
        QDeadlineTimer deadline(QApplication::doubleClickInterval() + 1000);
        while (!list.IsEditing() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(list.IsEditing(), allowRow);
    }
}

TEST(FcListViewTest, LastColumnTakesTheRest) {
    struct Case {
        std::vector<int> columns;
        bool items;
        int last; // -1: 100 less a scroll bar
    };
    for (const Case& c : {Case{{100, 100, 50}, true, 100}, Case{{149, 149, 50}, true, 5},
                          Case{{100, 100, 50}, false, -1}}) {
        TFcCustomListView list;
        MakeReport(list, 300, c.columns);
        if (c.items)
            list.Items().Add("one");
        Show(list);
        const int expected = c.last >= 0 ? c.last : 100 - list.ScrollBarWidth();
        EXPECT_EQ(list.ColumnWidth(2), expected) << c.columns[0] << (c.items ? " items" : "");
    }
    // Off: widths stay as set.
    TFcCustomListView list;
    list.SetStretchLastColumn(false);
    MakeReport(list, 300, {100, 100, 50});
    list.Items().Add("one");
    Show(list);
    EXPECT_EQ(list.ColumnWidth(2), 50);
}

TEST(FcListViewTest, ColumnClicksSortUpDownUp) {
    TFcCustomListView list;
    list.SetColumnClickSorts(true);
    MakeReport(list, 300, {100, 100});
    for (const auto& [caption, size] : std::vector<std::pair<std::string, std::string>>{
             {"b", "2"}, {"", "3"}, {"A", "1"}, {"c", ""}}) {
        list.Items().Add(caption)->SetSubItems({size});
    }
    Show(list);
    std::vector<int> clicked;
    list.OnColumnClick = [&](QObject*, int column) { clicked.push_back(column); };
    ClickSection(list, 0);
    EXPECT_EQ(Captions(list), (Strings{"A", "b", "c", ""})); // empty last
    EXPECT_EQ(list.SortedColumn(), 0);
    EXPECT_FALSE(list.SortedDescending());
    ClickSection(list, 0);
    EXPECT_EQ(Captions(list), (Strings{"", "c", "b", "A"}));
    EXPECT_TRUE(list.SortedDescending());
    ClickSection(list, 0);
    EXPECT_EQ(Captions(list), (Strings{"A", "b", "c", ""}));
    EXPECT_FALSE(list.SortedDescending());
    ClickSection(list, 1); // by sub-item, ascending
    EXPECT_EQ(Captions(list), (Strings{"A", "b", "", "c"}));
    EXPECT_EQ(list.SortedColumn(), 1);
    EXPECT_EQ(clicked, (std::vector<int>{0, 0, 0, 1}));
}

TEST(FcListViewTest, RefusedCheckChangeKeepsTheMark) {
    TFcCustomListView list;
    list.SetCheckboxes(true);
    MakeReport(list, 300, {100});
    TListItem* item = list.Items().Add("one");
    bool allow = false;
    std::vector<bool> asked;
    int changed = 0;
    list.OnItemCheckChanging = [&](QObject*, TListItem* i, bool checked, bool& a) {
        EXPECT_EQ(i, item);
        asked.push_back(checked);
        a = allow;
    };
    list.OnItemCheckChanged = [&](QObject*, TListItem*) { ++changed; };
    // The view's own check-box toggle goes the same way.
    QAbstractItemModel& model = *list.View().model();
    model.setData(model.index(0, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_FALSE(item->Checked());
    EXPECT_EQ(model.index(0, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    EXPECT_EQ(changed, 0);
    allow = true;
    item->SetChecked(true);
    EXPECT_TRUE(item->Checked());
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(asked, (std::vector<bool>{true, true}));
}

TEST(FcListViewTest, KeyboardOpensTheItemMenu) {
    TFcCustomListView list;
    MakeReport(list, 300, {100, 100});
    list.Items().Add("one");
    TListItem* two = list.Items().Add("two");
    Show(list);
    list.SetSelected(two);
    std::vector<std::pair<TListItem*, TPoint>> calls;
    list.OnListItemContextMenu = [&](QObject*, TListItem* item, TPoint& pos,
                                     gui::TPopupMenu*& menu) {
        calls.emplace_back(item, pos);
        menu = nullptr;
    };
    const TRect icon = two->DisplayRect(gui::TDisplayCode::drIcon);
    const TPoint centre{(icon.Left + icon.Right) / 2, (icon.Top + icon.Bottom) / 2};
    Press(list.View(), Qt::Key_F10, Qt::ShiftModifier);
    Press(list.View(), Qt::Key_Menu);
    ASSERT_EQ(calls.size(), 2u);
    for (const auto& [item, pos] : calls) {
        EXPECT_EQ(item, two);
        EXPECT_EQ(pos, centre);
    }
    // Without a focused item the list's pop-up menu is asked for instead.
    list.SetSelected(nullptr);
    list.SetItemFocused(nullptr);
    bool popup = false;
    list.OnContextPopup = [&](QObject*, TPoint, bool& handled) { popup = handled = true; };
    Press(list.View(), Qt::Key_Menu);
    EXPECT_TRUE(popup);
    EXPECT_EQ(calls.size(), 2u);
}

TEST(FcListViewTest, HeaderPictureWithSortMark) {
    TFcCustomListView list;
    list.SetStretchLastColumn(false);
    MakeReport(list, 300, {100, 100, 100});
    list.Items().Add("one");
    Show(list);
    QHeaderView& header = list.Header();
    ASSERT_EQ(header.width(), 300);
    ASSERT_EQ(header.sectionSize(2), 100);
    const int h = header.height();
    auto shadowIn = [&](const QImage& image, int section) {
        const int left = header.sectionViewportPosition(section);
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = left + 2; x < left + header.sectionSize(section) - 2; ++x)
                n += test::PixelAt(image, x, y) == test::Shown(gui::clBtnShadow);
        return n;
    };
    list.SetSortedColumn(1);
    const QImage up = test::RenderWidget(header);
    // Every pixel of the sections painted: no canary.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < 300; ++x)
            ASSERT_NE(test::PixelAt(up, x, y), test::kCanary) << x << "," << y;
    EXPECT_EQ(shadowIn(up, 0), 0);
    EXPECT_GT(shadowIn(up, 1), 4); // the mark
    EXPECT_EQ(shadowIn(up, 2), 0);
    // Ascending points up: its widest row is its lowest.
    auto pointsUp = [&](const QImage& image) {
        const int left = header.sectionViewportPosition(1);
        int best = 0, bestY = -1, top = h, bottom = -1;
        for (int y = 0; y < h; ++y) {
            int n = 0;
            for (int x = left; x < left + 100; ++x)
                n += test::PixelAt(image, x, y) == test::Shown(gui::clBtnShadow);
            if (n > 0) {
                top = std::min(top, y);
                bottom = y;
            }
            if (n > best) {
                best = n;
                bestY = y;
            }
        }
        EXPECT_LT(top, bottom);
        return bestY == bottom;
    };
    EXPECT_TRUE(pointsUp(up));
    list.SetSortedDescending(true);
    EXPECT_FALSE(pointsUp(test::RenderWidget(header)));
    // No mark without a placement, and OnDrawHeaderSection paints instead
    // of the built-in painter.
    list.SetSortMarkPlacement(TFcSortMarkPlacement::smpNone);
    EXPECT_EQ(shadowIn(test::RenderWidget(header), 1), 0);
    std::vector<int> drawn;
    list.OnDrawHeaderSection = [&](QObject*, TCanvas&, const TRect&, int index) {
        drawn.push_back(index);
    };
    list.SetDefaultHeaderDrawing(false);
    test::RenderWidget(header);
    EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2}));
}

TEST(FcListViewTest, SortMarkPlacements) {
    enum class Mark { none, beforeText, afterText, columnEnd };
    using gui::TColumnAlignment;
    struct Case {
        const char* name;
        TFcSortMarkPlacement placement;
        TColumnAlignment alignment;
        int width;
        Mark mark;
    };
    const Case cases[] = {
        {"before, wide", TFcSortMarkPlacement::smpBeforeText, TColumnAlignment::taLeftJustify, 100,
         Mark::beforeText},
        {"before, 15 pixels", TFcSortMarkPlacement::smpBeforeText, TColumnAlignment::taLeftJustify,
         15, Mark::none},
        {"after, left", TFcSortMarkPlacement::smpAfterText, TColumnAlignment::taLeftJustify, 100,
         Mark::afterText},
        {"after, right", TFcSortMarkPlacement::smpAfterText, TColumnAlignment::taRightJustify, 100,
         Mark::columnEnd},
        {"after, centred", TFcSortMarkPlacement::smpAfterText, TColumnAlignment::taCenter, 100,
         Mark::columnEnd},
        {"column end", TFcSortMarkPlacement::smpColumnEnd, TColumnAlignment::taLeftJustify, 100,
         Mark::columnEnd},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFcCustomListView list;
        list.SetStretchLastColumn(false);
        MakeReport(list, 300, {100, c.width, 100});
        list.SetColumn(1, {"Col1", c.width, c.alignment});
        list.SetSortMarkPlacement(c.placement);
        list.SetSortedColumn(1);
        Show(list);
        QHeaderView& header = list.Header();
        ASSERT_EQ(header.sectionSize(1), c.width);
        const QImage image = test::RenderWidget(header);
        const int left = header.sectionViewportPosition(1);
        const int right = left + c.width; // past the section
        // The columns that hold the mark's and the caption's pixels.
        auto span = [&](TColor color) {
            int first = right, last = -1;
            for (int y = 0; y < header.height(); ++y)
                for (int x = left + 2; x < right - 2; ++x)
                    if (test::PixelAt(image, x, y) == test::Shown(color)) {
                        first = std::min(first, x);
                        last = std::max(last, x);
                    }
            return std::pair{first, last};
        };
        const auto [markLeft, markRight] = span(gui::clBtnShadow);
        const auto [textLeft, textRight] = span(gui::clBtnText);
        if (c.mark == Mark::none) {
            EXPECT_EQ(markRight, -1);
            continue;
        }
        ASSERT_GE(markRight, markLeft);
        ASSERT_GE(textRight, textLeft);
        switch (c.mark) {
        case Mark::beforeText:
            EXPECT_LT(markLeft - left, 10);
            EXPECT_LT(markRight, textLeft);
            break;
        case Mark::afterText:
            EXPECT_GT(markLeft, textRight);
            EXPECT_LT(markLeft - textRight, 12);
            EXPECT_GT(right - markRight, 20); // not at the end
            break;
        case Mark::columnEnd:
            EXPECT_GT(markLeft, textRight);
            EXPECT_LE(right - markRight, 14);
            break;
        case Mark::none:
            break;
        }
        if (c.alignment == TColumnAlignment::taRightJustify) {
            EXPECT_LT(markLeft - textRight, 10); // the text ends at the mark
        }
        if (c.alignment == TColumnAlignment::taCenter) {
            EXPECT_GT(markLeft - textRight, 15); // centred between the gaps
        }
    }
}

TEST(FcListViewTest, WheelScrollsByTheImageHeight) {
    const int lines = QApplication::wheelScrollLines();
    struct Case {
        const char* name;
        gui::TViewStyle style;
        int imageHeight; // 0: no images
        int line;
    };
    for (const Case& c : {Case{"icons, no images", gui::TViewStyle::vsIcon, 0, 32},
                          Case{"icons of 40", gui::TViewStyle::vsIcon, 40, 40},
                          Case{"small icons, no images", gui::TViewStyle::vsSmallIcon, 0, 16},
                          Case{"small icons of 20", gui::TViewStyle::vsSmallIcon, 20, 20}}) {
        SCOPED_TRACE(c.name);
        TFcCustomListView list;
        gui::TCustomImageList images(c.imageHeight, c.imageHeight);
        if (c.imageHeight > 0) {
            list.SetSmallImages(&images);
            list.SetLargeImages(&images);
        }
        list.resize(120, 150);
        list.SetViewStyle(c.style);
        for (int i = 0; i < 300; ++i)
            list.Items().Add("item " + std::to_string(i));
        Show(list);
        QScrollBar* bar = list.View().verticalScrollBar();
        ASSERT_GT(bar->maximum(), 4 * lines * c.line);
        const QPoint at(20, 20);
        auto wheel = [&](int delta) {
            QWheelEvent e(at, list.View().viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(list.View().viewport(), &e);
        };
        wheel(-120);
        EXPECT_EQ(bar->value(), lines * c.line);
        wheel(-240);
        EXPECT_EQ(bar->value(), 3 * lines * c.line);
        wheel(120);
        EXPECT_EQ(bar->value(), 2 * lines * c.line);

        // A notch taken by its event scrolls nothing.
        int downs = 0;
        list.OnMouseWheelDown = [&](QObject*, Qt::KeyboardModifiers, TPoint, bool& handled) {
            ++downs;
            handled = true;
        };
        wheel(-120);
        EXPECT_EQ(downs, 1);
        EXPECT_EQ(bar->value(), 2 * lines * c.line);
    }

    // The report view goes by whole rows, the nearest to the pixels.
    TFcCustomListView list;
    gui::TCustomImageList images(16, 16);
    list.SetSmallImages(&images);
    MakeReport(list, 200, {100});
    for (int i = 0; i < 300; ++i)
        list.Items().Add("item " + std::to_string(i));
    Show(list);
    const int row = list.Items().Item(0)->DisplayRect(gui::TDisplayCode::drBounds).Height();
    ASSERT_GT(row, 0);
    const QPoint at(20, 20);
    QWheelEvent e(at, list.View().viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(list.View().viewport(), &e);
    EXPECT_EQ(list.View().verticalScrollBar()->value(), std::max(1, (lines * 16 + row / 2) / row));
}

TEST(FcListViewTest, InfoTipOfTheItemUnderTheMouse) {
    TFcCustomListView list;
    MakeReport(list, 200, {100});
    for (const char* caption : {"one", "two"})
        list.Items().Add(caption);
    Show(list);
    list.activateWindow();
    const QDeadlineTimer deadline(5000);
    while (QGuiApplication::applicationState() != Qt::ApplicationActive && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_EQ(QGuiApplication::applicationState(), Qt::ApplicationActive);
    QWidget* viewport = list.View().viewport();
    auto move = [&](QPoint at) {
        QMouseEvent e(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &e);
    };
    auto tipWindow = [&]() -> QWidget* {
        for (QWidget* w : list.findChildren<QWidget*>())
            if (w->isWindow() && w->isVisible())
                return w;
        return nullptr;
    };
    const TRect second = list.Items().Item(1)->DisplayRect(gui::TDisplayCode::drBounds);
    const QPoint overSecond(second.Left + 10, second.Top + 2);

    // Without OnInfoTip no tip.
    move(overSecond);
    EXPECT_FALSE(list.InfoTipShowing());

    std::vector<std::string> asked;
    list.OnInfoTip = [&](QObject*, TListItem* item, std::string& tip) {
        asked.push_back(tip);
        tip = "about " + item->Caption();
    };
    move(overSecond);
    ASSERT_TRUE(list.InfoTipShowing());
    EXPECT_EQ(asked, Strings{"two"});
    QWidget* tip = tipWindow();
    ASSERT_TRUE(tip);
    EXPECT_EQ(tip->pos(), viewport->mapToGlobal(QPoint(second.Left + 5, second.Bottom - 3)));
    EXPECT_EQ(test::RenderWidget(*tip).size(), tip->size());
    // Moving inside the item keeps the tip where it is.
    move(overSecond + QPoint(20, 1));
    EXPECT_EQ(tipWindow(), tip);
    EXPECT_EQ(tip->pos(), viewport->mapToGlobal(QPoint(second.Left + 5, second.Bottom - 3)));

    // Below the items, and when the mouse leaves, it goes.
    move(QPoint(10, second.Bottom + 40));
    EXPECT_FALSE(list.InfoTipShowing());
    move(overSecond);
    ASSERT_TRUE(list.InfoTipShowing());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&list, &leave);
    EXPECT_FALSE(list.InfoTipShowing());
}

} // namespace
} // namespace vdx
