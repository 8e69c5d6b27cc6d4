// The helper every network test uses to run its servers: it must report why a server did not
// come up, and never leave one running.
#include "support/server_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

namespace pictorn::test {
namespace {

// `python3 -c CODE` stands in for a server script.
TEST(ServerProcess, ReadsThePortLaterLinesAndStopsTheServer) {
    ServerProcess server("-c", {"print('starting'); print('PORT 4321'); print('event one');"
                                "import time; time.sleep(60)"});
    ASSERT_TRUE(server.started()) << server.error();
    EXPECT_EQ(server.port(), 4321);
    EXPECT_EQ(server.readLine(5000), "event one");
    EXPECT_EQ(server.readLine(100), std::nullopt);
    const pid_t pid = server.pid();
    server.stop();
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(ServerProcess, ExplainsAServerThatDiesOrNeverReports) {
    ServerProcess dies("-c", {"import sys; sys.stderr.write('address in use\\n'); sys.exit(3)"});
    EXPECT_FALSE(dies.started());
    EXPECT_NE(dies.error().find("address in use"), std::string::npos) << dies.error();

    ServerProcess mute("-c", {"import sys, time; sys.stderr.write('stuck\\n'); time.sleep(60)"},
                       2000);
    EXPECT_FALSE(mute.started());
    EXPECT_NE(mute.error().find("did not report its port"), std::string::npos);
    EXPECT_NE(mute.error().find("stuck"), std::string::npos) << mute.error();
}

} // namespace
} // namespace pictorn::test
