// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "record/filesystem.h"
#include "record/recordstore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Points in the rewrite of the pair, and in the completion of a swap found
// half done, where a dying process leaves a distinct state on disk. A start
// after a kill reads the old pair when the writer died before MarkerCreated
// and the new pair from MarkerCreated on; after a power failure the last
// step that can still give the old pair is MarkerCreated.
enum class RecordStep {
    LockTaken = 1,
    PointsTempCreated,
    PointsTempWritten,
    PointsTempSynced,
    NameTempCreated,
    NameTempWritten,
    NameTempSynced,
    TempsDirSynced,
    MarkerCreated,
    MarkerSynced,
    PointsRenamed,
    NameRenamed,
    RenamesSynced,
    MarkerRemoved,
    // Completion of a swap found half done.
    RecoveryPointsRenamed,
    RecoveryNameRenamed,
    RecoveryRenamesSynced,
    RecoveryMarkerRemoved,
};

// The record pair on the local disk, in the program's data directory.
//
// A rewrite puts both new files beside the old ones, syncs them, then drops
// a pending marker; once the marker is on disk the swap is committed and
// renames put the new files in place. GetSystemDir (and every save) first
// finishes a committed swap or throws away an uncommitted one, so a start
// always reads a pair that belongs together. When a failing or read-only
// disk keeps GetSystemDir from finishing a committed swap, the start reads
// the new pair from wherever each half stands, or neither half.
class FileRecordStore final : public RecordStore {
public:
    // Empty `dataDir` means $XDG_DATA_HOME/zorvali. `fs` makes every call on
    // the disk and must outlive the store.
    explicit FileRecordStore(QString dataDir = {}, const FileSystem &fs = FileSystem::real());

    QString GetSystemDir() override;
    void createIfMissing(const QString &path) override;
    QString Leggifiletxt(const QString &nomefile) override;
    SaveOutcome saveIfBeaten(const QString &dir, const QString &scoreCaption, const QString &name,
                             const QString &shownRecord) override;

    // Called at each step above, so a test knows how far a save or a start got.
    void setStepHook(std::function<void(RecordStep)> hook) { m_stepHook = std::move(hook); }

    // Largest number of bytes Leggifiletxt reads from one file.
    static constexpr qsizetype kReadLimit = 64 * 1024;
    // Working files kept next to the pair.
    static constexpr char kLockFileName[] = "zorvrec3.lock";
    static constexpr char kPendingFileName[] = "zorvrec3.pending";
    static constexpr char kTempSuffix[] = ".new";

private:
    // The new pair of a committed swap that start-up could not finish.
    struct CommittedPair {
        QStringList paths; // final paths, points first
        QByteArray bytes[2];
        QString failure; // why neither half can be shown
    };

    QString dataDirectory() const;
    // Without the lock or after a failed recovery: finds a committed swap
    // still pending and reads its new pair for Leggifiletxt.
    void holdCommittedPair(const QString &dir);
    // The bytes of the held pair's half at `path`, or null when `path` is no
    // such half. Throws when neither half can be shown.
    const QByteArray *heldHalf(const QString &path) const;
    void step(RecordStep which) const;
    // Under the lock: completes or discards a swap left by a dead process.
    // Returns 0 or the errno value of the failed call; `what` names it.
    int recover(const QString &dir, QString &what) const;
    // Under the lock: the full write-sync-rename sequence.
    int replacePair(const QString &dir, const QByteArray &points, const QByteArray &name, QString &what) const;
    int writeTemp(const QByteArray &path, const QByteArray &content, RecordStep created, RecordStep written,
                  RecordStep synced, QString &what) const;
    // The first kReadLimit bytes of a regular file; EISDIR or ENXIO for a
    // directory, pipe or device, which are never read.
    int readBounded(const QString &path, QByteArray &bytes) const;
    int syncDirectory(const QString &dir) const;
    // Undoes an uncommitted swap, the marker's removal durable first.
    void backOut(const QString &dir) const;
    void discardTemps(const QString &dir) const;

    QString m_dataDir;
    const FileSystem *m_fs;
    std::optional<CommittedPair> m_committed;
    std::function<void(RecordStep)> m_stepHook;
};
