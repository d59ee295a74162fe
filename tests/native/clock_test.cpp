#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/probe.h"

namespace {

struct WrapCase {
  std::vector<std::uint32_t> ticks;  // successive readings of the 32-bit tick
  std::uint64_t advance;             // of the millisecond clock from the first to the last
};

// The tick wraps to 0 every 2^32 ms (about 49.7 days); the clock counts on across it.
TEST(MonotonicClock, CountsOnAcrossTheTickWrap) {
  const WrapCase cases[] = {
      {{1000, 1000}, 0},
      {{1000, 2500}, 1500},
      {{0x7FFFFFFF, 0x80000000}, 1},
      {{0xFFFFFFFF, 0}, 1},
      {{0xFFFFFF00, 0x100}, 0x200},
      {{0, 0xFFFFFFFF}, 0xFFFFFFFF},
      {{0, 0x80000000, 0, 0x80000000, 0}, 0x200000000},
  };
  for (const WrapCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "from tick " << c.ticks.front());
    probe::TickExtender clock;
    const std::uint64_t first = clock.Now([&] { return c.ticks.front(); });
    std::uint64_t last = first;
    for (const std::uint32_t tick : c.ticks) {
      const std::uint64_t now = clock.Now([&] { return tick; });
      EXPECT_GE(now, last);
      last = now;
    }
    EXPECT_EQ(last - first, c.advance);
  }
}

}  // namespace
