// SPDX-License-Identifier: GPL-3.0-or-later
#include "countdown/countdown.h"

void Countdown::ResetCountdown()
{
    m_hoursLeft = Int16(0);
    m_minutesLeft = Int16(7);
    m_secondsLeft = 0;
}

QString Countdown::takeOneSecond()
{
    const Int16 zero(0);
    const Int16 one(1);
    if (m_secondsLeft == 0) {
        if (m_minutesLeft > zero) {
            m_minutesLeft = m_minutesLeft - one;
            m_secondsLeft = 60;
        } else if (m_hoursLeft > zero) {
            m_hoursLeft = m_hoursLeft - one;
            m_minutesLeft = Int16(59);
            m_secondsLeft = 60;
        }
    }
    // The clock stops at zero rather than showing a negative second.
    if (m_secondsLeft > 0)
        m_secondsLeft -= 1;

    const auto twoDigits = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return twoDigits(m_hoursLeft.value()) + u':' + twoDigits(m_minutesLeft.value()) + u':'
           + twoDigits(static_cast<int>(m_secondsLeft));
}
