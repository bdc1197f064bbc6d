#pragma once
// A test that drives a started test server over raw sockets.

#include "raw_client.h"
#include "test_binding.h"

#include <gtest/gtest.h>

namespace vdx::test {

class RawServerFixture : public ::testing::Test {
protected:
    void SetUp() override { m_server.Start(); }

    // Applies changed properties, which the server reads when it is switched on.
    void Restart() {
        m_server.Server().SetActive(false);
        m_server.Server().SetActive(true);
    }

    RawFtpClient LoggedIn() {
        RawFtpClient client(m_server.Port());
        client.Login();
        return client;
    }

    TestFtpServer m_server;
};

} // namespace vdx::test
