// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/randomsource.h"

#include <QList>

// Returns the scripted numbers in turn, then cycles.
class ScriptedRandom final : public RandomSource {
public:
    QList<double> numbers{0.0};

    void Randomize() override {}
    double Rnd() override { return numbers.at(m_next++ % numbers.size()); }

    // The two numbers that draw this shade and factor, each 1 to 10.
    static QList<double> drawing(int shade, int factor) { return {(shade - 0.5) / 10, (factor - 0.5) / 10}; }

private:
    qsizetype m_next = 0;
};
