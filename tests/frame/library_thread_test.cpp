#include "frame/library_thread.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "frame/unique_object.h"

namespace {

struct Probe {
    bool throwOut = false;
    SIZE_T reservation = 0;
    UniqueHandle self;  // the thread itself, to wait for its end
    UniqueHandle ready{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The whole reservation of the stack that holds `inside`.
SIZE_T StackReservation(const void* inside) {
    MEMORY_BASIC_INFORMATION region{};
    VirtualQuery(inside, &region, sizeof region);
    const auto base = static_cast<const char*>(region.AllocationBase);
    const char* end = base;
    while (VirtualQuery(end, &region, sizeof region) == sizeof region && region.AllocationBase == base)
        end += region.RegionSize;
    return static_cast<SIZE_T>(end - base);
}

// Measures its stack, then ends with 7 or with an exception.
DWORD Measure(void* argument) {
    auto& probe = *static_cast<Probe*>(argument);
    const int local = 0;
    probe.reservation = StackReservation(&local);
    probe.self.reset(OpenThread(SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId()));
    SetEvent(probe.ready.get());
    if (probe.throwOut) throw std::runtime_error("out of the routine");
    return 7;
}

DWORD ExitCodeAfterEnd(const Probe& probe) {
    EXPECT_EQ(WaitForSingleObject(probe.ready.get(), 10000), WAIT_OBJECT_0);
    EXPECT_TRUE(probe.self.valid());
    EXPECT_EQ(WaitForSingleObject(probe.self.get(), 10000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeThread(probe.self.get(), &code);
    return code;
}

}  // namespace

// A 32-bit process runs hundreds of relay workers in 2 GiB of addresses: the
// size asked for is the thread's whole reservation, not a commit size under
// the program's default reservation (2 MiB here, which 1.5 MiB would get).
// Wine raises any reservation under 1 MiB to 1 MiB, so the relay's smaller
// one shows only on Windows. An exception that leaves the routine unwinds it
// and ends that thread only, with exit code 1.
TEST(LibraryThread, GetsTheStackReservationAskedForAndSurvivesAnEscapingException) {
    for (const SIZE_T asked : {SIZE_T{1536 * 1024}, SIZE_T{3 * 1024 * 1024}}) {
        for (const bool throwOut : {false, true}) {
            Probe probe;
            probe.throwOut = throwOut;
            ASSERT_TRUE(StartLibraryThread(Measure, &probe, asked));
            EXPECT_EQ(ExitCodeAfterEnd(probe), throwOut ? 1u : 7u);
            EXPECT_EQ(probe.reservation, asked) << asked;
        }
    }
}
