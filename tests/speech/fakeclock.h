#pragma once

#include "speech/clock.h"

// A clock that only moves when the test says so.
class FakeClock final : public Clock {
public:
    qint64 nowMs() const override { return m_now; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 1000;
};
