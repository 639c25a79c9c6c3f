// SPDX-License-Identifier: GPL-3.0-or-later
#include "countdown/countdown.h"

#include <utility>

Countdown::Countdown(std::function<void()> onEnd) : m_onEnd(std::move(onEnd)) {}

void Countdown::ResetCountdown()
{
    m_hoursLeft = 0;
    m_minutesLeft = 7;
    m_secondsLeft = 0;
}

QString Countdown::Timer1_Timer(const QString &shown)
{
    if (shown == QLatin1String("00:00:00")) {
        if (m_onEnd)
            m_onEnd();
        return shown;
    }
    if (m_secondsLeft == 0) {
        if (m_minutesLeft > 0) {
            --m_minutesLeft;
            m_secondsLeft = 60;
        } else if (m_hoursLeft > 0) {
            --m_hoursLeft;
            m_minutesLeft = 59;
            m_secondsLeft = 60;
        }
    }
    // The clock stops at zero rather than showing a negative second.
    if (m_secondsLeft > 0)
        --m_secondsLeft;
    const auto twoDigits = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return twoDigits(m_hoursLeft) + u':' + twoDigits(m_minutesLeft) + u':' + twoDigits(m_secondsLeft);
}
