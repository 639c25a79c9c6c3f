// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/clockrandom.h"

#include <chrono>

ClockRandom::ClockRandom() { Randomize(); }

void ClockRandom::Randomize()
{
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch();
    const auto ticks = static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
    // Mix in a counter too: a coarse clock could repeat between two reseeds.
    static std::uint64_t reseeds = 0;
    std::seed_seq seed{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                       static_cast<std::uint32_t>(++reseeds)};
    m_engine.seed(seed);
}

double ClockRandom::Rnd()
{
    // 53 random bits: uniform on [0, 1) and never 1.
    return static_cast<double>(m_engine() >> 11) * 0x1.0p-53;
}
