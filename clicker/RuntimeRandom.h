// The C runtime's rand(): the same linear congruential generator on every
// platform, never seeded, so every start yields the same random periods.
#pragma once

#include <cstdint>

namespace zintra {

class RuntimeRandom {
public:
    // Next value in 0..32767.
    int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFFu);
    }
    void Reset() { state_ = 1; }

private:
    std::uint32_t state_ = 1;
};

// The one generator of the process, shared like the runtime's.
RuntimeRandom& ProcessRandom();

}  // namespace zintra
