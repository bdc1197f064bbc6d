// The framed-control host: frame margin and client painting, colours,
// loading, hot state notifications.
#include "platform/gui/framed_host.h"

#include "controls/base/FcDraw.h"

#include "Picture.h"

#include <QApplication>
#include <QEnterEvent>
#include <QFocusEvent>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vdx::gui {
namespace {

class Host : public TFramedHost {
public:
    using TFramedHost::TFramedHost;
    std::vector<std::string> Log;

protected:
    void PaintFrame(TCanvas& c) override {
        DrawControlFrame(c, width(), height(), TFrameStyleEx::fsFlat, clWindow, clBtnShadow,
                         TSides::All(), false);
    }
    void PaintClient(TCanvas& c) override {
        c.Brush.SetColor(clRed);
        c.FillRect(Rect(0, 0, 1, 1));   // client (0, 0)
        c.FillRect(Rect(-1, -1, 0, 0)); // outside the client: clipped
    }
    void ColorChanged() override { Log.push_back("color"); }
    void MouseEnter() override { Log.push_back("enter"); }
    void MouseLeave() override { Log.push_back("leave"); }
    void FocusEnter() override { Log.push_back("focus in"); }
    void FocusExit() override { Log.push_back("focus out"); }
    void EnabledChanged() override { Log.push_back("enabled"); }
};

TEST(FramedHost, FrameInTheMarginClientInside) {
    Host host;
    host.resize(6, 5);
    host.SetFrameMargins(QMargins(2, 2, 2, 2));
    EXPECT_EQ(host.ClientRect(), Rect(0, 0, 2, 1));
    EXPECT_EQ(host.ClientBounds(), Rect(2, 2, 4, 3));
    QImage image = test::CanaryImage(6, 5);
    host.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
    EXPECT_EQ(test::Picture(image, {{'s', clBtnShadow}, {'w', clWindow}, {'r', clRed}}),
              test::Rows({"ssssss", "swwwws", "swr.ws", "swwwws", "ssssss"}));
}

TEST(FramedHost, ColorAndParentColor) {
    Host parent;
    parent.SetColor(clYellow);
    Host child(&parent);
    EXPECT_EQ(child.Color(), clWindow);
    child.SetParentColor(true);
    EXPECT_EQ(child.Color(), clYellow);
    parent.SetColor(clRed); // follows
    EXPECT_EQ(child.Color(), clRed);
    child.SetColor(clBlue); // an own colour ends ParentColor
    EXPECT_FALSE(child.ParentColor());
    parent.SetColor(clLime);
    EXPECT_EQ(child.Color(), clBlue);
    EXPECT_EQ(child.Log, (std::vector<std::string>{"color", "color", "color"}));
    // Written by name, as the frame controller does.
    EXPECT_TRUE(child.setProperty("Color", QVariant::fromValue(clGreen)));
    EXPECT_EQ(child.Color(), clGreen);

    QWidget plain; // a parent that is no host: the button face
    Host orphan(&plain);
    orphan.SetParentColor(true);
    EXPECT_EQ(orphan.Color(), clBtnFace);
}

TEST(FramedHost, LoadingDefersTheParentColour) {
    Host parent;
    parent.SetColor(clYellow);
    Host child(&parent);
    child.BeginLoading();
    child.SetParentColor(true);
    EXPECT_TRUE(child.IsLoading());
    EXPECT_EQ(child.Color(), clWindow);
    child.Loaded();
    EXPECT_FALSE(child.IsLoading());
    EXPECT_EQ(child.Color(), clYellow);
}

TEST(FramedHost, HotStateNotifications) {
    Host host;
    QLineEdit* editor = new QLineEdit(&host);
    host.SetFocusWidget(editor);
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&host, &enter);
    EXPECT_TRUE(host.MouseInside());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&host, &leave);
    QFocusEvent in(QEvent::FocusIn), out(QEvent::FocusOut);
    QApplication::sendEvent(editor, &in);
    EXPECT_TRUE(host.FocusInside());
    QApplication::sendEvent(editor, &in); // no change: no second notification
    QApplication::sendEvent(editor, &out);
    host.setEnabled(false);
    EXPECT_EQ(host.Log,
              (std::vector<std::string>{"enter", "leave", "focus in", "focus out", "enabled"}));

    // An inner editor deleted before it is replaced is simply forgotten.
    delete editor;
    auto* next = new QLineEdit(&host);
    host.SetFocusWidget(next);
    host.setEnabled(true);
    QApplication::sendEvent(next, &in);
    EXPECT_TRUE(host.FocusInside());
}

} // namespace
} // namespace vdx::gui
