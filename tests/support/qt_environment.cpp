// One application object for every test of the program that compiles this in
// (offscreen). VDX_TEST_PROGRAM_NAME names the program, as its argv[0] would.

#include "platform/gui/application.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        m_app = std::make_unique<vdx::gui::TApplication>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[sizeof VDX_TEST_PROGRAM_NAME] = VDX_TEST_PROGRAM_NAME;
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<vdx::gui::TApplication> m_app;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
