// One cancel flag for the tools of a job: a cancel stops what runs and keeps
// anything new from starting until the flag is cleared.
#include <signal.h>
#include <sys/wait.h>

#include <thread>

#include <gtest/gtest.h>

#include "foundation/Cancellation.h"

using namespace velmora;

TEST(Cancellation, StopsRunningToolsAndKeepsNewOnesFromStarting)
{
    Cancellation cancellation;
    std::vector<std::shared_ptr<ChildProcess>> sleepers;
    for (int i = 0; i < 3; ++i) {
        sleepers.push_back(std::make_shared<ChildProcess>("/bin/sleep", std::vector<std::string>{"30"}));
        ASSERT_TRUE(cancellation.startUnlessCancelled(sleepers.back()));
    }
    // One has ended on its own and was released: it is not signalled again.
    sleepers[0]->terminate();
    sleepers[0]->waitForExit();
    cancellation.release(sleepers[0]);
    std::thread canceller([&] { cancellation.cancel(); });
    for (size_t i = 1; i < sleepers.size(); ++i) {
        const int status = sleepers[i]->waitForExit();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
    }
    canceller.join();
    EXPECT_TRUE(cancellation.isCancelled());

    auto late = std::make_shared<ChildProcess>("/bin/true", std::vector<std::string>{});
    EXPECT_FALSE(cancellation.startUnlessCancelled(late));
    EXPECT_FALSE(late->started());

    cancellation.clearCancel();
    std::string failure;
    EXPECT_TRUE(cancellation.startUnlessCancelled(late, &failure));
    EXPECT_TRUE(failure.empty());
    EXPECT_EQ(late->waitForExit(), 0);
}
