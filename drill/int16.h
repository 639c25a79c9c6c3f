// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <cstdint>
#include <limits>
#include <stdexcept>

// A 16-bit signed integer whose arithmetic raises std::overflow_error
// instead of wrapping: the counters and the question must never silently
// turn negative.
class Int16 {
public:
    constexpr Int16() = default;
    constexpr explicit Int16(int value) : m_value(checked(value)) {}

    constexpr std::int16_t value() const { return m_value; }
    QString toString() const { return QString::number(m_value); }

    friend constexpr Int16 operator+(Int16 a, Int16 b) { return Int16(int(a.m_value) + int(b.m_value)); }
    friend constexpr Int16 operator*(Int16 a, Int16 b) { return Int16(int(a.m_value) * int(b.m_value)); }

private:
    static constexpr std::int16_t checked(int value)
    {
        if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max())
            throw std::overflow_error("Overflow");
        return static_cast<std::int16_t>(value);
    }

    std::int16_t m_value = 0;
};
