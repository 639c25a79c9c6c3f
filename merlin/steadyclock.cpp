// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/steadyclock.h"

SteadyClock::SteadyClock()
{
    m_timer.start();
}

qint64 SteadyClock::nowMs() const
{
    return m_timer.elapsed();
}
