// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/randomsource.h"

#include <random>

// Reseeded from a high-resolution clock, so two questions asked within the
// same second still differ.
class ClockRandom final : public RandomSource {
public:
    ClockRandom();
    void Randomize() override;
    double Rnd() override;

private:
    std::mt19937_64 m_engine;
};
