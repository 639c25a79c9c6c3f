// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

// The contest clock. It counts ticks, not elapsed time: each tick takes one
// second off, whatever the timer's real precision. The clock label is part
// of its state: the end is read from the label, not from the numbers.
class Countdown {
public:
    // `onEnd` runs on the tick that finds the label at "00:00:00".
    explicit Countdown(std::function<void()> onEnd);

    // Seven minutes on the clock; the label is left as it is.
    void ResetCountdown();
    // One tick, given the label as it reads now. Runs the end and returns
    // the label unchanged when it reads "00:00:00"; otherwise takes one
    // second off, borrowing a minute or an hour when the seconds are at
    // zero, and returns the clock as "hh:mm:ss", never below 00:00:00.
    QString Timer1_Timer(const QString &shown);

private:
    std::function<void()> m_onEnd;
    int m_hoursLeft = 0;
    int m_minutesLeft = 0;
    int m_secondsLeft = 0;
};
