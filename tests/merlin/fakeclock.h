// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "merlin/clock.h"

// A clock that only moves when the test says so.
struct FakeClock final : Clock {
    qint64 nowMs() const override { return now; }
    qint64 now = 1000;
};
