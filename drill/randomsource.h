// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The pseudo-random generator the drill draws from.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // Reseeds from the clock.
    virtual void Randomize() = 0;
    // The next number in [0, 1).
    virtual double Rnd() = 0;
};
