#include "controls/shell/FcTreeView.h"

#include "platform/gui/popup_menu.h"

#include "WidgetPictures.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx {
namespace {

using Lines = std::vector<std::string>;

Lines Saved(const TFcCustomTreeView& tree) {
    Lines lines;
    tree.SaveNodesToStrings(lines);
    return lines;
}

void Press(QWidget& w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QCoreApplication::sendEvent(&w, &press);
}

TEST(FcTreeViewTest, NodesFromIndentedLines) {
    TFcCustomTreeView tree;
    tree.LoadNodesFromStrings({"A", "\tB", "\t\tC", "D"});
    EXPECT_EQ(Saved(tree), (Lines{"A", "\tB", "\t\tC", "D"}));
    TTreeNode* a = tree.Items().GetFirstNode();
    EXPECT_EQ(a->Item(0)->Item(0)->Text(), "C");
    EXPECT_EQ(a->GetNextSibling()->Text(), "D");

    // Blanks count as well, a first line may be indented, and a line may
    // climb several levels at once.
    tree.LoadNodesFromStrings({"  \tA", "\tB", "\t C", "\t\t\tD", "E", " F"});
    EXPECT_EQ(Saved(tree), (Lines{"A", "\tB", "\t\tC", "\t\t\tD", "E", "\tF"}));
    const Lines saved = Saved(tree);
    tree.LoadNodesFromStrings(saved);
    EXPECT_EQ(Saved(tree), saved);

    try {
        tree.LoadNodesFromStrings({"A", "\t\tB"});
        FAIL() << "no error";
    } catch (const ETreeViewError& e) {
        EXPECT_STREQ(e.what(), "Invalid level (2) for item \"B\"");
    }
}

TEST(FcTreeViewTest, ItemHeightAndExpansionRules) {
    TFcCustomTreeView tree;
    const int platform = tree.RowHeight();
    tree.SetItemHeight(-5);
    EXPECT_EQ(tree.ItemHeight(), 0);
    EXPECT_EQ(tree.RowHeight(), platform);
    tree.SetItemHeight(30);
    EXPECT_EQ(tree.RowHeight(), 30);

    tree.SetAutoExpand(true);
    tree.SetSelectOnExpand(true);
    EXPECT_FALSE(tree.AutoExpand());
    tree.SetAutoExpand(true);
    EXPECT_FALSE(tree.SelectOnExpand());
    tree.SetAutoExpand(false);
    tree.SetSelectOnExpand(true);

    tree.LoadNodesFromStrings({"A", "\tB", "\t\tC", "D"});
    TTreeNode* a = tree.Items().GetFirstNode();
    TTreeNode* b = a->Item(0);
    tree.SetSelected(tree.Items().Item(3));
    a->Expand(false);
    EXPECT_EQ(tree.Selected(), a); // selected on expand
    b->Expand(false);
    tree.SetSelected(b->Item(0));
    a->Collapse(false);
    EXPECT_EQ(tree.Selected(), a);
    EXPECT_FALSE(b->Item(0)->IsVisible());
}

TEST(FcTreeViewTest, ContextMenusByMouseAndKeyboard) {
    TFcCustomTreeView tree;
    tree.resize(200, 200);
    tree.show();
    tree.LoadNodesFromStrings({"A", "B"});
    TTreeNode* a = tree.Items().GetFirstNode();
    TTreeNode* b = a->GetNextSibling();
    tree.SetSelected(a);
    tree.SetRightClickSelect(true);
    std::vector<std::pair<TTreeNode*, TTreeNode*>> calls; // node, CurrentNode then
    TPoint keyboardPos{-1, -1};
    tree.OnNodeContextMenu = [&](QObject*, TTreeNode* node, TPoint& pos, gui::TPopupMenu*& menu) {
        calls.emplace_back(node, tree.CurrentNode());
        keyboardPos = pos;
        menu = nullptr;
    };
    const TRect rb = b->DisplayRect(true);
    QWidget* viewport = tree.View().viewport();
    const QPoint at(rb.Left + 2, rb.Top + 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, viewport->mapToGlobal(at), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, viewport->mapToGlobal(at), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &release);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].first, b);
    EXPECT_EQ(calls[0].second, b);    // the right-click node while it is handled
    EXPECT_EQ(tree.CurrentNode(), a); // the selection afterwards, unchanged
    EXPECT_EQ(tree.Selected(), a);

    Press(tree.View(), Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].first, a);
    const TRect ra = a->DisplayRect(true);
    EXPECT_EQ(keyboardPos, (TPoint{(ra.Left + ra.Right) / 2, (ra.Top + ra.Bottom) / 2}));
    Press(tree.View(), Qt::Key_Menu);
    EXPECT_EQ(calls.size(), 3u);

    // A pop-up menu of the control opens where the handler leaves it.
    gui::TPopupMenu menu;
    tree.SetPopupMenu(&menu);
    tree.OnNodeContextMenu = nullptr;
    bool shown = false;
    QTimer::singleShot(0, [&] {
        if (QMenu* m = menu.ShowingMenu()) {
            shown = true;
            m->close();
        }
    });
    Press(tree.View(), Qt::Key_Menu);
    EXPECT_TRUE(shown);
    EXPECT_EQ(menu.PopupComponent(), &tree);
}

TEST(FcTreeViewTest, ColoursFollowFocusAndState) {
    QWidget window;
    TFcCustomTreeView tree(&window);
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    window.show();
    tree.SetFocusColor(gui::clYellow);
    tree.SetDisabledColor(gui::clGray);
    tree.View().setFocus();
    QApplication::processEvents();
    EXPECT_EQ(tree.Color(), gui::clYellow);
    other->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(tree.Color(), gui::clWindow);
    tree.setEnabled(false);
    EXPECT_EQ(tree.Color(), gui::clGray);
    tree.setEnabled(true);
    // A new colour while FocusColor equals the normal one: FocusColor follows.
    TFcCustomTreeView plain;
    plain.SetColor(gui::clAqua);
    EXPECT_EQ(plain.FocusColor(), gui::clAqua);
    EXPECT_EQ(plain.NormalColor(), gui::clAqua);
}

TEST(FcTreeViewTest, RowsAsPainted) {
    QWidget window;
    TFcCustomTreeView tree(&window);
    auto* other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    tree.SetItemHeight(18);
    tree.SetHideSelection(false);
    tree.resize(120, 80);
    window.show();
    other->setFocus();
    tree.LoadNodesFromStrings({"A", "\tB", "C"});
    TTreeNode* a = tree.Items().GetFirstNode();
    tree.SetSelected(a->GetNextSibling());
    QApplication::processEvents();
    QImage image = test::RenderWidget(tree);
    // The sunken two-pixel edge, then the rows from (2, 2).
    EXPECT_EQ(test::PixelAt(image, 0, 40), test::Shown(gui::clBtnShadow));
    EXPECT_EQ(test::PixelAt(image, 1, 40), test::Shown(gui::cl3DDkShadow));
    // A's button in the first indent column: a grey box with a plus.
    const int bx = 2 + 9 - 4, by = 2 + 9 - 4;
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(test::PixelAt(image, bx + i, by), test::Shown(gui::clGray)) << i;
        EXPECT_EQ(test::PixelAt(image, bx, by + i), test::Shown(gui::clGray)) << i;
    }
    EXPECT_EQ(test::PixelAt(image, bx + 4, by + 4), test::Shown(gui::clWindowText));
    EXPECT_EQ(test::PixelAt(image, bx + 4, by + 2), test::Shown(gui::clWindowText));
    EXPECT_EQ(test::PixelAt(image, bx + 1, by + 1), test::Shown(gui::clWindow));
    // C has no button; its selection shows while the tree has no focus: the
    // label in button face, outlined by the inactive selection pen.
    const TRect label = a->GetNextSibling()->DisplayRect(true);
    EXPECT_EQ(test::PixelAt(image, 2 + label.Left, 2 + label.Top + 5),
              test::Shown(gui::clBtnShadow));
    EXPECT_EQ(test::PixelAt(image, 2 + label.Left + 1, 2 + label.Top + 1),
              test::Shown(gui::clBtnFace));
    a->Expand(false);
    QApplication::processEvents();
    image = test::RenderWidget(tree);
    EXPECT_NE(test::PixelAt(image, bx + 4, by + 2), test::Shown(gui::clWindowText)); // a minus now
}

TEST(FcTreeViewTest, WheelScrollsByLines) {
    TFcCustomTreeView tree;
    tree.SetItemHeight(16);
    tree.resize(150, 100);
    tree.show();
    Lines lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back("n" + std::to_string(i));
    tree.LoadNodesFromStrings(lines);
    QApplication::processEvents();
    QScrollBar* bar = tree.View().verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    int wheels = 0;
    tree.OnMouseWheel = [&](QObject*, Qt::KeyboardModifiers, int, TPoint, bool&) { ++wheels; };
    const QPoint at(20, 20);
    QWheelEvent down(at, tree.View().viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(tree.View().viewport(), &down);
    EXPECT_EQ(wheels, 1);
    EXPECT_EQ(bar->value(), QApplication::wheelScrollLines() * bar->singleStep());
}

} // namespace
} // namespace vdx
