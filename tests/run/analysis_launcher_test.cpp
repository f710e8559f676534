#include <future>

#include <gtest/gtest.h>

#include "analysis_launcher.h"

TEST(AnalysisLauncherTest, StartsNothingWhileARunIsActive) {
    AnalysisLauncher launcher;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    int runs = 0;
    ASSERT_TRUE(launcher.start([&] {
        ++runs;
        released.wait();
    }));
    EXPECT_TRUE(launcher.active());
    EXPECT_FALSE(launcher.start([&] { ++runs; }));
    release.set_value();
    while (launcher.active())
        std::this_thread::yield();
    EXPECT_TRUE(launcher.start([&] { ++runs; }));
    while (launcher.active())
        std::this_thread::yield();
    EXPECT_EQ(runs, 2);
}
