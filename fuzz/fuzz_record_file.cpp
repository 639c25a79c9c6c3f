// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes, of any size, stored as a record file and read back by the
// store: the read gives the decoded first kReadLimit bytes and nothing else.
#include "record/filerecordstore.h"
#include "record/recordcodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace {

void require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "fuzz_record_file: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir scratch;
    require(scratch.isValid(), "no scratch directory");
    static FileRecordStore store(scratch.path());
    static const QString dir = store.GetSystemDir();
    const QString path = dir + QLatin1String(kPointsFileName);

    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the record file");
        require(file.write(bytes) == bytes.size(), "short write of the record file");
    }
    QString read;
    try {
        read = store.Leggifiletxt(path);
    } catch (const std::runtime_error &error) {
        std::fprintf(stderr, "fuzz_record_file: a regular file was refused: %s\n", error.what());
        std::abort();
    }
    require(read == RecordCodec::decode(bytes.left(FileRecordStore::kReadLimit)),
            "the read is not the decoded start of the file");
    return 0;
}
