#pragma once
// Control of the fake's millisecond clock (plat::MonotonicMilliseconds). As on Windows, the
// clock reads a 32-bit tick count that wraps every 2^32 ms and extends it to 64 bits; by default
// the tick follows the host's steady clock.

#include <cstdint>
#include <optional>

namespace fake {

// Holds the 32-bit tick at `tick` until the next call; std::nullopt lets it follow the host
// clock again (the clock then counts forward to the host's tick, never back).
void PinTick32(std::optional<std::uint32_t> tick);

}  // namespace fake
