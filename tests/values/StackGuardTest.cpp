#include "TestSupport.h"

#include "values/Exeption.h"
#include "values/StackGuard.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace test;

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

// How deep a large stack takes a run: tests/golden/cases/limits.tvn (100,000 calls deep).
TEST(StackGuardTest, ExceptionsComeBackToTheCaller) {
    EXPECT_THROW(RunOnLargeStack([] { throw std::runtime_error("inside"); }), std::runtime_error);
    CLargeStackThread thread;
    ASSERT_TRUE(thread.Start([] { throw CExeption(nullptr, "x", kErrNone); }, 8 * kMiB));
    EXPECT_THROW(thread.Join(), CExeption);
    EXPECT_FALSE(thread.Joinable());
}

} // namespace
