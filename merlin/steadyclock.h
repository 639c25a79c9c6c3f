// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/clock.h"

#include <QElapsedTimer>

class SteadyClock final : public Clock {
public:
    SteadyClock();
    qint64 nowMs() const override;

private:
    QElapsedTimer m_timer;
};
