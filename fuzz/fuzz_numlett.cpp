// SPDX-License-Identifier: GPL-3.0-or-later
// Every 64-bit fixed-point value through the speller: below 10^12 it gives
// lower-case Italian letters (none for zero and below); from there on it
// throws std::out_of_range and nothing else.
#include "speech/numlett.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace {

void require(bool condition, const char *what, std::int64_t scaled)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_numlett: %s (scaled %lld)\n", what, static_cast<long long>(scaled));
        std::abort();
    }
}

constexpr std::int64_t kLimit = 1'000'000'000'000;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::int64_t scaled = 0;
    std::memcpy(&scaled, data, size < sizeof scaled ? size : sizeof scaled);
    const Fixed4 number = Fixed4::fromScaled(scaled);
    const std::int64_t whole = number.wholePart();

    QString words;
    bool rejected = false;
    try {
        words = numlett(number);
    } catch (const std::out_of_range &) {
        rejected = true;
    }
    require(rejected == (whole >= kLimit), "rejected the wrong values", scaled);
    if (rejected)
        return 0;
    require(words.isEmpty() == (whole <= 0), "letters for a number below one, or none for one above", scaled);
    for (const QChar c : words)
        require(c >= u'a' && c <= u'z', "a character that is not a lower-case letter", scaled);
    return 0;
}
