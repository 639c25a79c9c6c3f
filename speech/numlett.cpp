// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/numlett.h"

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace {

constexpr std::array<const char *, 21> kWords = {
    "",        "uno",      "due",    "tre",         "quattro",     "cinque",     "sei",
    "sette",   "otto",     "nove",   "dieci",       "undici",      "dodici",     "tredici",
    "quattordici", "quindici", "sedici", "diciassettte", "diciotto", "diciannove", "venti",
};

constexpr std::array<const char *, 10> kTens = {
    "", "", "venti", "trenta", "quaranta", "cinquanta", "sessanta", "settanta", "ottanta", "novanta",
};

struct Scale {
    const char *single;
    const char *plural;
};
// Thousands, millions, billions.
constexpr std::array<Scale, 3> kScales = {{{"mille", "mila"}, {"unmilione", "milioni"}, {"unmiliardo", "miliardi"}}};

constexpr std::int64_t kLimit = 1'000'000'000'000;


// Appends the words of one group of three digits, 1 to 999.
void spellGroup(QString &s, std::int64_t g)
{
    std::int64_t r = g;
    if (g > 99) {
        const std::int64_t h = g / 100;
        r = g - 100 * h;
        if (h != 1)
            s += QLatin1String(kWords[h]);
        s += QLatin1String("cento");
    }
    if (r <= 20) {
        s += QLatin1String(kWords[r]);
        return;
    }
    const std::int64_t t = r / 10;
    s += QLatin1String(kTens[t]);
    const std::int64_t u = r - 10 * t;
    // "ventuno", "trentotto": the tens word loses its vowel before a vowel.
    if (u == 1 || u == 8)
        s.chop(1);
    s += QLatin1String(kWords[u]);
}

} // namespace

std::int64_t Fixed4::checkedScale(long double value)
{
    const long double scaled = std::roundl(value * kScale);
    if (std::isnan(scaled) || scaled < static_cast<long double>(std::numeric_limits<std::int64_t>::min())
        || scaled >= static_cast<long double>(std::numeric_limits<std::int64_t>::max()))
        throw std::out_of_range("numero non rappresentabile con quattro decimali");
    return static_cast<std::int64_t>(scaled);
}

Fixed4::Fixed4(double value) : m_scaled(checkedScale(value)) {}

QString numlett(Fixed4 numer)
{
    std::int64_t n = numer.wholePart();
    if (n >= kLimit)
        throw std::out_of_range("numlett: numero troppo grande (al massimo 999999999999)");
    QString s;
    if (n <= 0)
        return s;

    constexpr std::array<std::int64_t, 4> kPowers = {1'000'000'000, 1'000'000, 1'000, 1};
    for (int k = 3; k >= 0; --k) {
        const std::int64_t power = kPowers[3 - k];
        const std::int64_t g = n / power;
        if (g <= 0)
            continue;
        spellGroup(s, g);
        // A group of exactly one takes the singular scale word in place of
        // the "uno" just spelled ("mille", "unmilione"); the billions group
        // comes first, so "uno" is all there is to replace there.
        if (k > 0) {
            const auto &[single, plural] = kScales[k - 1];
            if (g == 1) {
                s.chop(3);
                s += QLatin1String(single);
            } else {
                s += QLatin1String(plural);
            }
        }
        n -= g * power;
    }
    return s;
}
