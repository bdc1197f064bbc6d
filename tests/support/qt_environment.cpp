// One application object for every test of a program (offscreen), named
// after the program, in the look the programs set at start-up.

#include "platform/gui/application.h"
#include "platform/gui/classic_look.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class QtEnvironment : public testing::Environment {
public:
    void SetUp() override {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
        std::strncpy(m_name, program_invocation_short_name, sizeof m_name - 1);
        m_app = std::make_unique<vdx::gui::TApplication>(m_argc, m_argv);
        vdx::gui::ApplyClassicLook(*m_app);
    }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[64] = {};
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<vdx::gui::TApplication> m_app;
};

[[maybe_unused]] testing::Environment* const kQtEnvironment =
    testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
