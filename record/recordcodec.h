// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Bytes of a record file <-> text. Files are written in code page 1252, one
// byte per character, so a pair copied from an old installation reads back;
// text that code page cannot hold is written as UTF-8 instead of being lost.
class RecordCodec {
public:
    // Code page 1252 bytes when every character fits and those bytes would not
    // be taken for UTF-8 on reading; UTF-8 otherwise. decode(encode(t)) == t.
    static QByteArray encode(const QString &text);
    // UTF-8 when the bytes are valid UTF-8 holding at least one multi-byte
    // sequence, code page 1252 otherwise; a leading UTF-8 byte-order mark is
    // dropped. Never fails: every byte has a meaning.
    static QString decode(const QByteArray &bytes);

    // Code page 1252 alone; false when some character has no byte.
    static bool toCp1252(const QString &text, QByteArray &bytes);
    static QString fromCp1252(const QByteArray &bytes);
    // Strict UTF-8 (no overlong forms, surrogates or values past U+10FFFF)
    // with at least one sequence of two or more bytes.
    static bool isMultiByteUtf8(const QByteArray &bytes);
};
