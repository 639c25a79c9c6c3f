// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/int16.h"

#include <QString>

// The contest clock. It counts ticks, not elapsed time: each tick takes one
// second off, whatever the timer's real precision.
class Countdown {
public:
    // The caption that ends the contest when a tick finds it on the clock.
    static QString endCaption() { return QStringLiteral("00:00:00"); }

    // Seven minutes on the clock.
    void ResetCountdown();
    // Takes one second off, borrowing a minute or an hour when the seconds
    // are at zero, and returns the clock as "hh:mm:ss". Never goes below
    // 00:00:00.
    QString takeOneSecond();

    Int16 hoursLeft() const { return m_hoursLeft; }
    Int16 minutesLeft() const { return m_minutesLeft; }
    float secondsLeft() const { return m_secondsLeft; }

private:
    Int16 m_hoursLeft;
    Int16 m_minutesLeft;
    // Always a whole value.
    float m_secondsLeft = 0;
};
