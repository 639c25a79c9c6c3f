// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Result of the exit's compare-and-write of the record pair.
struct SaveOutcome {
    enum class Kind { NotBeaten, Saved, Failed };
    Kind kind = Kind::NotBeaten;
    // For Failed: why, in Italian, fit to be shown to a teacher.
    QString reason;
};

// The pair of record files: the points file and the name file, one CRLF line
// each, in one fixed data directory.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // The data directory followed by "/", created when missing. Also finishes
    // or discards a swap of the pair that an earlier run left half done; where
    // it cannot finish one, the reads that follow give the new pair or fail
    // for both files, never one old file beside one new.
    // Throws std::runtime_error when the directory cannot be made.
    virtual QString GetSystemDir() = 0;
    // Creates `path` empty when it does not exist; an existing file is left
    // unchanged. Throws std::runtime_error on failure.
    virtual void createIfMissing(const QString &path) = 0;
    // The whole content of `nomefile`, line end included (bounded, so a
    // hostile file cannot stall start-up). Throws std::runtime_error on failure.
    virtual QString Leggifiletxt(const QString &nomefile) = 0;
    // The one place that decides whether a record is beaten: under the
    // directory's lock, when the value of `scoreCaption` is strictly higher
    // than that of `shownRecord` (the record caption read at start-up) and
    // than the record stored now, replaces the pair with (`scoreCaption`,
    // `name`) atomically. An empty `dir` is looked up now, as start-up could
    // not. Never throws.
    virtual SaveOutcome saveIfBeaten(const QString &dir, const QString &scoreCaption, const QString &name,
                                     const QString &shownRecord) = 0;
};

// The two file names, directly in the data directory.
inline constexpr char kPointsFileName[] = "azorvrec3.txt";
inline constexpr char kNameFileName[] = "nzorvrec3.txt";

// The numeric value of a caption, read leniently: an optional sign, digits
// with an optional decimal point, with blanks, tabs and line feeds skipped
// before and within them ("1 2\r\n" is 12); reading stops at the first
// other character; no number gives 0.
double captionValue(const QString &caption);
