// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/recordstore.h"

#include <charconv>
#include <limits>
#include <string>

double captionValue(const QString &caption)
{
    qsizetype i = 0;
    const qsizetype n = caption.size();
    // Blanks, tabs and line feeds are skipped wherever they stand in the
    // number, not only before it.
    const auto skipBlanks = [&] {
        while (i < n && (caption[i] == u' ' || caption[i] == u'\t' || caption[i] == u'\n'))
            ++i;
    };
    skipBlanks();

    // Only the plain decimal shape is collected, so the conversion never sees
    // exponents, hex or "inf"; from_chars ignores the C locale, which a Qt
    // program sets from the environment (an Italian one wants a comma).
    bool negative = false;
    if (i < n && (caption[i] == u'+' || caption[i] == u'-'))
        negative = caption[i++] == u'-';
    std::string number;
    bool digits = false;
    bool point = false;
    for (; skipBlanks(), i < n; ++i) {
        const char16_t c = caption[i].unicode();
        if (c >= u'0' && c <= u'9') {
            number += char(c);
            digits = true;
        } else if (c == u'.' && !point) {
            number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0.0;
    double value = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a double: a non-zero whole part means too large.
        const std::string whole = number.substr(0, number.find('.'));
        const bool large = whole.find_first_not_of('0') != std::string::npos;
        value = large ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}
