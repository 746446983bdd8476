#include "TestSupport.h"

#include "values/Exeption.h"
#include "values/StackGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

using namespace test;

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

// Recursion with a kilobyte frame that checks the stack on every level, as evaluation
// does; stops by itself at maxDepth. The frame stays in use after the call, so that the
// compiler cannot turn the recursion into a loop.
__attribute__((noinline)) int Recurse(int depth, int maxDepth) {
    CheckStack();
    char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (depth >= maxDepth)
        return depth;
    const int reached = Recurse(depth + 1, maxDepth);
    asm volatile("" : : "r"(frame) : "memory");
    return reached;
}

TEST(StackGuardTest, LargeStackTakesRecursionFarBeyondAnOrdinaryThread) {
    if (UsableStackDepth() < 48 * kMiB)
        GTEST_SKIP() << "this build caps the stack's depth below the test's";
    int reached = 0;
    RunOnLargeStack([&] { reached = Recurse(0, 32 * 1024); }); // over 32 MiB of frames
    EXPECT_EQ(reached, 32 * 1024);
    bool headroom = false;
    RunOnLargeStack([&] { headroom = StackHasHeadroom(); });
    EXPECT_TRUE(headroom);
}

TEST(StackGuardTest, ExceptionsComeBackToTheCaller) {
    EXPECT_THROW(RunOnLargeStack([] { throw std::runtime_error("inside"); }), std::runtime_error);
    CLargeStackThread thread;
    ASSERT_TRUE(thread.Start([] { throw CExeption(nullptr, "x", kErrNone); }, 8 * kMiB));
    EXPECT_THROW(thread.Join(), CExeption);
    EXPECT_FALSE(thread.Joinable());
}

} // namespace
