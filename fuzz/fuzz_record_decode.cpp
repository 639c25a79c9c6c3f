// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as a record file's content: the decoder must give text
// that encodes back to bytes decoding to the same text, and the lenient
// number reader must give a number (never NaN) for whatever it is handed.
#include "record/recordcodec.h"
#include "record/recordstore.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_record_decode: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const QString text = RecordCodec::decode(bytes);
    if (!RecordCodec::isMultiByteUtf8(bytes))
        require(text.size() == bytes.size(), "a code page 1252 read is not one character per byte");
    require(RecordCodec::decode(RecordCodec::encode(text)) == text, "decoded text does not survive a rewrite");
    require(!std::isnan(captionValue(text)), "captionValue gave NaN for a file's text");

    // The same bytes as UTF-16, the way a typed name reaches the encoder.
    // Code units taken as they are: no byte-order mark is read or dropped.
    QString typed(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(typed.data(), data, size / 2 * sizeof(char16_t));
    if (typed.isValidUtf16())
        require(RecordCodec::decode(RecordCodec::encode(typed)) == typed, "a well-formed name does not round-trip");
    require(!std::isnan(captionValue(typed)), "captionValue gave NaN for typed text");
    return 0;
}
