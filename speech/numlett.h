// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <concepts>
#include <cstdint>

// A signed 64-bit fixed-point number with four decimals, the type the
// speller takes. Converts implicitly from any integer and from double.
class Fixed4 {
public:
    static constexpr std::int64_t kScale = 10000;

    template <std::integral T>
    constexpr Fixed4(T whole) : m_scaled(checkedScale(static_cast<long double>(whole))) {}
    // Rounds to four decimals. Throws std::out_of_range for NaN and for
    // values the type cannot hold.
    Fixed4(double value);

    static constexpr Fixed4 fromScaled(std::int64_t scaled) { return Fixed4(Raw{}, scaled); }
    constexpr std::int64_t scaled() const { return m_scaled; }
    // The whole part, truncated toward zero.
    constexpr std::int64_t wholePart() const { return m_scaled / kScale; }

private:
    struct Raw {};
    constexpr Fixed4(Raw, std::int64_t scaled) : m_scaled(scaled) {}
    static std::int64_t checkedScale(long double value);

    std::int64_t m_scaled;
};

// The Italian words for the whole part of `numer`, lower case, without
// blanks ("ventuno", "centoottanta", "duemiliardicinquecentomilioniuno").
// Zero and negative numbers give the empty text. Throws std::out_of_range
// for a whole part of 10^12 or more.
QString numlett(Fixed4 numer);
