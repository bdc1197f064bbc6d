#include "controls/storage/FcForms.h"

#include "controls/storage/FcMonitors.h"
#include "platform/gui/message_box.h"
#include "platform/os/registry.h"

#include "IsolatedEnv.h"

#include <QApplication>
#include <QCloseEvent>
#include <QShowEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

// Qt lets this class mark an event as the window system's own (the same
// way its test library does), so a show by the window system can be sent.
class QSpontaneKeyEvent {
public:
    static void MakeSpontaneous(QEvent& event) { event.setSpontaneous(); }
};

namespace vdx {
namespace {

using test::ReadFileBytes;
using test::WriteFileBytes;

// A form that records that its own handlers still ran.
class RecordingForm : public QWidget {
public:
    int shows = 0;
    int closes = 0;

protected:
    void showEvent(QShowEvent* e) override {
        ++shows;
        QWidget::showEvent(e);
    }
    void closeEvent(QCloseEvent* e) override {
        ++closes;
        QWidget::closeEvent(e);
    }
};

// Where the window stands (its outer corner, as move() sets it) and its
// inner size, as the form state keeps them.
QRect Placement(const QWidget& form) {
    return QRect(form.pos(), form.size());
}

void Place(QWidget& form, int left, int top, int width, int height) {
    form.move(left, top);
    form.resize(width, height);
}

class FormStateTest : public testing::Test {
protected:
    FormStateTest()
        : m_monitors(std::vector<TMonitor>{MakeMonitor(0, gui::Bounds(0, 0, 1920, 1080))}),
          m_boxes([this](const gui::TMessageBoxRequest& r) {
              messages.push_back(r.Text);
              EXPECT_EQ(r.Type, gui::TMsgDlgType::mtError);
              return gui::mrOk;
          }) {
        store.SetPath(IniName());
    }

    std::string IniName() const { return m_dir.Folder() + "forms.ini"; }

    // A form named FMain at its designed place with a linked form state.
    std::unique_ptr<RecordingForm> MakeForm(bool loaded = true) {
        auto form = std::make_unique<RecordingForm>();
        form->setObjectName("FMain");
        Place(*form, 100, 80, 400, 300);
        state = new TFcFormState(form.get());
        state->SetRegIniFile(&store);
        if (loaded)
            state->Loaded();
        return form;
    }

    void StoreValues(const std::string& text) {
        WriteFileBytes(IniName(), text);
        store.SetPath(""); // any change makes the store read the file afresh
        store.SetPath(IniName());
    }

    test::IsolatedEnv m_env;
    test::TempDir m_dir;
    TScopedMonitorProvider m_monitors;
    gui::TScopedMessageBoxHandler m_boxes;
    TFcRegIniFile store;
    TFcFormState* state = nullptr;
    std::vector<std::string> messages;
};

TEST_F(FormStateTest, FirstRunKeepsTheDesignAndCloseSavesIt) {
    RecordingForm reference; // the same form without a form state
    Place(reference, 100, 80, 400, 300);
    reference.show();
    const QRect designed = Placement(reference);

    auto form = MakeForm();
    form->show();
    EXPECT_EQ(Placement(*form), designed);
    form->close();
    EXPECT_EQ(form->shows, 1);
    EXPECT_EQ(form->closes, 1);
    EXPECT_EQ(ReadFileBytes(IniName()),
              "[FMainFormState]\n"
              "Maximized=0\n"
              "Left=" +
                  std::to_string(designed.x()) + "\n" + "Top=" + std::to_string(designed.y()) +
                  "\n" + "Right=" + std::to_string(designed.x() + 400) + "\n" +
                  "Bottom=" + std::to_string(designed.y() + 300) + "\n" + "Saved=1\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(FormStateTest, RoundTrip) {
    {
        auto form = MakeForm();
        form->show();
        Place(*form, 150, 120, 500, 350);
        form->close();
    }
    auto form = MakeForm();
    int restored = 0;
    state->OnRestoreState = [&](QObject* sender) {
        EXPECT_EQ(sender, state);
        ++restored;
    };
    form->show();
    EXPECT_EQ(Placement(*form), QRect(150, 120, 500, 350));
    EXPECT_EQ(restored, 1);

    // Every showing restores again: hidden, moved and shown.
    Place(*form, 10, 20, 300, 200);
    form->hide();
    form->show();
    EXPECT_EQ(Placement(*form), QRect(150, 120, 500, 350));
    EXPECT_EQ(restored, 2);

    // The window system's show of a window restored from minimised is no
    // showing by the program: the window stays where the user put it.
    Place(*form, 10, 20, 300, 200);
    QShowEvent restoredFromMinimised;
    QSpontaneKeyEvent::MakeSpontaneous(restoredFromMinimised);
    // notify, not sendEvent: sending makes every event the program's own.
    QApplication::instance()->notify(form.get(), &restoredFromMinimised);
    EXPECT_EQ(Placement(*form), QRect(10, 20, 300, 200));
    EXPECT_EQ(restored, 2);
    EXPECT_EQ(form->shows, 3); // the form's own handler saw all three
}

TEST_F(FormStateTest, ReadOnlyStorageWithoutItsKeyFailsOnShow) {
    // Read access cannot create the key; its absence is a read failure the
    // showing reports, and the form still opens where it was designed.
    TFcRegIniFile registry;
    registry.SetPathType(TFcPathType::ptRegistry);
    registry.SetPath("Software\\Vardex\\Missing");
    registry.SetRegAccess({TFcRegAccessKey::keyRead});
    auto form = MakeForm();
    state->SetRegIniFile(&registry);
    form->show();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(Placement(*form), QRect(100, 80, 400, 300));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Software\\Vardex\\Missing"), std::string::npos) << messages[0];
}

TEST_F(FormStateTest, OffEveryMonitorOpensAtTheOrigin) {
    StoreValues("[FMainFormState]\nLeft=5000\nTop=100\nRight=5400\nBottom=400\nSaved=1\n");
    auto form = MakeForm();
    form->show();
    EXPECT_EQ(Placement(*form), QRect(0, 0, 400, 300));
}

TEST_F(FormStateTest, FixedSizeFormRestoresOnlyItsPlace) {
    StoreValues("[FMainFormState]\nLeft=30\nTop=40\nRight=1000\nBottom=900\nSaved=1\n");
    auto form = MakeForm();
    form->setFixedSize(400, 300);
    form->show();
    EXPECT_EQ(Placement(*form), QRect(30, 40, 400, 300));
    form->close();
    EXPECT_EQ(store.ReadInteger("FMainFormState", "Right", -1), 1000); // not written again
    EXPECT_FALSE(TFcFormState::IsSizeableForm(*form));
}

TEST_F(FormStateTest, DamagedSizeKeepsTheDesignedSize) {
    StoreValues("[FMainFormState]\nLeft=30\nTop=40\nRight=10\nBottom=40\nSaved=1\n");
    auto form = MakeForm();
    form->show();
    EXPECT_EQ(Placement(*form), QRect(30, 40, 400, 300));
}

TEST_F(FormStateTest, MaximizedRoundTrip) {
    QRect normal;
    {
        auto form = MakeForm();
        form->show();
        normal = Placement(*form);
        form->showMaximized();
        ASSERT_TRUE(form->isMaximized());
        form->close();
    }
    EXPECT_TRUE(store.ReadBool("FMainFormState", "Maximized", false));
    // The placement before maximizing is what is kept.
    EXPECT_EQ(store.ReadInteger("FMainFormState", "Right", 0), normal.x() + normal.width());

    auto form = MakeForm();
    Place(*form, 0, 0, 200, 100);
    form->show();
    EXPECT_TRUE(form->isMaximized());
    form->showNormal();
    EXPECT_EQ(Placement(*form), normal);
}

TEST_F(FormStateTest, DisabledReadsAndWritesNothing) {
    StoreValues("[FMainFormState]\nLeft=30\nTop=40\nSaved=1\n");
    auto form = MakeForm();
    state->SetEnabled(false);
    form->show();
    EXPECT_EQ(Placement(*form), QRect(100, 80, 400, 300));
    form->close();
    EXPECT_EQ(ReadFileBytes(IniName()), "[FMainFormState]\nLeft=30\nTop=40\nSaved=1\n");
    EXPECT_EQ(form->shows, 1);
    EXPECT_EQ(form->closes, 1);
    EXPECT_TRUE(messages.empty());
}

TEST_F(FormStateTest, NotLoadedActsOnlyWhenCalled) {
    StoreValues("[FMainFormState]\nLeft=30\nTop=40\nSaved=1\n");
    auto form = MakeForm(false);
    form->show();
    EXPECT_EQ(Placement(*form), QRect(100, 80, 400, 300));
    state->RestoreState();
    EXPECT_EQ(Placement(*form), QRect(30, 40, 400, 300));
    Place(*form, 60, 70, 400, 300);
    form->close();
    EXPECT_EQ(store.ReadInteger("FMainFormState", "Left", 0), 30);
    state->SaveState();
    EXPECT_EQ(store.ReadInteger("FMainFormState", "Left", 0), 60);
}

TEST_F(FormStateTest, WithoutStorageTellsAndStillOpensAndCloses) {
    auto form = MakeForm(false);
    state->SetRegIniFile(nullptr);
    state->Loaded();
    form->show();
    form->close();
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Cannot restore Form State--No TFcRegIniFile component specified",
                            "Cannot restore Form State--No TFcRegIniFile component specified",
                            "Cannot save Form State--No TFcRegIniFile component specified"}));
    EXPECT_EQ(form->shows, 1);
    EXPECT_EQ(form->closes, 1);
}

TEST_F(FormStateTest, StorageDestroyedFirstIsForgotten) {
    auto form = MakeForm();
    auto other = std::make_unique<TFcRegIniFile>();
    state->SetRegIniFile(other.get());
    other.reset();
    EXPECT_EQ(state->RegIniFile(), nullptr);
}

TEST_F(FormStateTest, WriteFailureIsShownAndSkipsTheRest) {
    WriteFileBytes(m_dir.Path() / "plain", "x");
    store.SetPath(m_dir.Folder() + "plain/forms.ini");
    auto form = MakeForm(false);
    int saved = 0;
    state->OnSaveState = [&](QObject*) { ++saved; };
    state->SaveState();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("plain/forms.ini"), std::string::npos);
    EXPECT_EQ(saved, 1);
}

TEST_F(FormStateTest, SectionNames) {
    RecordingForm named;
    named.setObjectName("FSettings");
    QWidget unnamed;
    QWidget child(&named);
    QObject plain;
    struct Case {
        const char* name;
        QObject* owner;
        std::string section;
        std::string expected;
    };
    for (const Case& c :
         {Case{"form name", &named, "", "FSettingsFormState"},
          Case{"explicit section", &named, "Mine", "Mine"},
          Case{"class name of an unnamed form", &unnamed, "", "QWidgetFormState"},
          Case{"child widget is no form", &child, "", "FormState"},
          Case{"no widget", &plain, "", "FormState"}, Case{"no owner", nullptr, "", "FormState"}}) {
        SCOPED_TRACE(c.name);
        TFcFormState s(c.owner);
        s.SetSection(c.section);
        EXPECT_EQ(s.GetSectionName(), c.expected);
    }
}

TEST_F(FormStateTest, RegistryStorageUnderTheMainWindowKey) {
    TFcRegIniFile registry;
    registry.SetPathType(TFcPathType::ptRegistry);
    registry.SetPath("Software\\Vardex\\VdxFtpserver");
    {
        auto form = MakeForm();
        state->SetRegIniFile(&registry);
        form->show();
        Place(*form, 220, 110, 640, 480);
        form->close();
    }
    os::TRegistry reg(os::RootKey::CurrentUser);
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Vardex\\VdxFtpserver\\FMainFormState"));
    EXPECT_EQ(reg.ReadInteger("Left"), 220);
    EXPECT_EQ(reg.ReadInteger("Bottom"), 590);
    EXPECT_TRUE(reg.ReadBool("Saved"));
    EXPECT_FALSE(reg.ReadBool("Maximized"));

    auto form = MakeForm();
    state->SetRegIniFile(&registry);
    form->show();
    EXPECT_EQ(Placement(*form), QRect(220, 110, 640, 480));
}

} // namespace
} // namespace vdx
