// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/recordcodec.h"

#include <array>

namespace {

// 0x80..0x9F; the five bytes the code page leaves undefined stand for the
// C1 control of the same value, so every byte still round-trips.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t cp1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return kHighControls[byte - 0x80];
    return byte;
}

bool unicodeToCp1252(char16_t c, unsigned char &byte)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        byte = static_cast<unsigned char>(c);
        return true;
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            byte = static_cast<unsigned char>(0x80 + i);
            return true;
        }
    }
    return false;
}

} // namespace

bool RecordCodec::toCp1252(const QString &text, QByteArray &bytes)
{
    bytes.clear();
    bytes.reserve(text.size());
    for (const QChar c : text) {
        unsigned char byte = 0;
        if (!unicodeToCp1252(c.unicode(), byte))
            return false;
        bytes.append(static_cast<char>(byte));
    }
    return true;
}

QString RecordCodec::fromCp1252(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes)
        text.append(QChar(cp1252ToUnicode(static_cast<unsigned char>(b))));
    return text;
}

bool RecordCodec::isMultiByteUtf8(const QByteArray &bytes)
{
    bool multiByte = false;
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t value = 0;
        char32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            value = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            value = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            value = lead & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > n)
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        multiByte = true;
        i += length;
    }
    return multiByte;
}

QByteArray RecordCodec::encode(const QString &text)
{
    QByteArray cp1252;
    // A 1252 text such as "Ã©" has bytes that are also valid UTF-8 and would
    // read back as "é"; such text goes out as UTF-8, which reads back as itself.
    if (toCp1252(text, cp1252) && !isMultiByteUtf8(cp1252))
        return cp1252;
    // The reader drops one leading byte-order mark, as editors write one;
    // text that itself starts with U+FEFF gets a second one to lose.
    if (text.startsWith(QChar(0xFEFF)))
        return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
    return text.toUtf8();
}

QString RecordCodec::decode(const QByteArray &bytes)
{
    if (isMultiByteUtf8(bytes))
        return QString::fromUtf8(bytes);
    return fromCp1252(bytes);
}
