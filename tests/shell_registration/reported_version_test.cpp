#include <cstdlib>

#include "tests/shell_registration/harness.h"

// Each copy of this program is registered with Wine under its own name with
// one reported version, and told by CTest which major version that is. A
// copy whose entry did not take would otherwise skip its generation's suites
// and pass without testing them.
TEST(ReportedVersion, IsTheOneThisCopyIsRegisteredFor) {
    const char* expected = std::getenv("RERIDU_EXPECTED_MAJOR");
    if (expected == nullptr) GTEST_SKIP() << "run outside CTest";
    EXPECT_EQ(ReportedMajorVersion(), std::strtoul(expected, nullptr, 10));
}
