// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/filerecordstore.h"

#include "record/directorylock.h"
#include "record/filedescriptor.h"
#include "record/recordcodec.h"
#include "record/systemerror.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtDebug>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Long enough for another program's save, short enough that a hung one
// cannot hold the window for long.
constexpr auto kLockPatience = 10s;

QByteArray nativePath(const QString &path)
{
    return QFile::encodeName(path);
}

QString withSlash(const QString &dir)
{
    return dir.endsWith(u'/') ? dir : dir + u'/';
}

QString withoutSlash(QString dir)
{
    while (dir.size() > 1 && dir.endsWith(u'/'))
        dir.chop(1);
    return dir;
}

// 0 when `path` exists, ENOENT when it does not, or the errno of lstat.
int probe(const FileSystem &fs, const QString &path)
{
    struct stat info {};
    return fs.lstat(nativePath(path).constData(), &info) == 0 ? 0 : errno;
}

int renameFile(const FileSystem &fs, const QString &from, const QString &to)
{
    return fs.rename(nativePath(from).constData(), nativePath(to).constData()) == 0 ? 0 : errno;
}

// Missing is fine. Looking first keeps a read-only disk, where unlink says
// EROFS even for a file that is not there, from counting as a failure.
int removeFile(const FileSystem &fs, const QString &path)
{
    if (const int state = probe(fs, path))
        return state == ENOENT ? 0 : state;
    return fs.unlink(nativePath(path).constData()) == 0 || errno == ENOENT ? 0 : errno;
}

[[noreturn]] void fail(const QString &message)
{
    throw std::runtime_error(message.toStdString());
}

SaveOutcome failed(const QString &dir, const QString &reason)
{
    return {SaveOutcome::Kind::Failed,
            QStringLiteral("impossibile scrivere nella cartella %1: %2").arg(withoutSlash(dir), reason)};
}

QString tempOf(const QString &path)
{
    return path + QLatin1String(FileRecordStore::kTempSuffix);
}

} // namespace

FileRecordStore::FileRecordStore(QString dataDir, const FileSystem &fs) : m_dataDir(std::move(dataDir)), m_fs(&fs)
{
}

QString FileRecordStore::dataDirectory() const
{
    if (!m_dataDir.isEmpty())
        return withoutSlash(m_dataDir);
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        fail(QStringLiteral("impossibile trovare la cartella dei dati dell'utente"));
    return withoutSlash(base) + QStringLiteral("/zorvali");
}

void FileRecordStore::step(RecordStep which) const
{
    if (m_stepHook)
        m_stepHook(which);
}

QString FileRecordStore::GetSystemDir()
{
    const QString dir = dataDirectory();
    if (!QDir().mkpath(dir)) {
        // mkpath gives no cause; a second attempt at the last level does.
        const int error = ::mkdir(nativePath(dir).constData(), 0755) == 0 ? 0 : errno;
        if (error != 0 && error != EEXIST)
            fail(QStringLiteral("impossibile creare la cartella %1: %2").arg(dir, systemErrorText(error)));
    }
    struct stat info {};
    if (m_fs->stat(nativePath(dir).constData(), &info) != 0)
        fail(QStringLiteral("impossibile aprire la cartella %1: %2").arg(dir, systemErrorText(errno)));
    if (!S_ISDIR(info.st_mode))
        fail(QStringLiteral("impossibile usare la cartella %1: al suo posto c'è un file").arg(dir));

    const QString slashed = withSlash(dir);
    m_committed.reset();
    DirectoryLock lock(slashed + QLatin1String(kLockFileName), *m_fs);
    if (const int error = lock.acquire(kLockPatience)) {
        qWarning("zorvali: record non controllati: %s", qPrintable(systemErrorText(error)));
        // A disk gone read-only cannot be locked, yet may hold a committed swap.
        holdCommittedPair(slashed);
        return slashed;
    }
    QString what;
    if (const int error = recover(slashed, what)) {
        qWarning("zorvali: salvataggio interrotto del record non completato (%s): %s", qPrintable(what),
                 qPrintable(systemErrorText(error)));
        holdCommittedPair(slashed);
    }
    return slashed;
}

void FileRecordStore::holdCommittedPair(const QString &dir)
{
    const QString marker = dir + QLatin1String(kPendingFileName);
    const int markerState = probe(*m_fs, marker);
    // No swap committed: the pair in place belongs together.
    if (markerState == ENOENT)
        return;
    CommittedPair pair{{dir + QLatin1String(kPointsFileName), dir + QLatin1String(kNameFileName)}, {}, {}};
    if (markerState != 0) {
        pair.failure =
            QStringLiteral("impossibile controllare il file %1: %2").arg(marker, systemErrorText(markerState));
    }
    // Each half is still in its temp, or already renamed into place.
    for (qsizetype i = 0; i < 2 && pair.failure.isEmpty(); ++i) {
        QString path = tempOf(pair.paths[i]);
        int error = readBounded(path, pair.bytes[i]);
        if (error == ENOENT)
            error = readBounded(path = pair.paths[i], pair.bytes[i]);
        if (error != 0)
            pair.failure = QStringLiteral("impossibile leggere il file %1: %2").arg(path, systemErrorText(error));
    }
    m_committed = std::move(pair);
}

const QByteArray *FileRecordStore::heldHalf(const QString &path) const
{
    const qsizetype half = m_committed ? m_committed->paths.indexOf(path) : -1;
    if (half < 0)
        return nullptr;
    // Both halves or neither: never one beside the old other.
    if (!m_committed->failure.isEmpty())
        fail(m_committed->failure);
    return &m_committed->bytes[half];
}

void FileRecordStore::createIfMissing(const QString &path)
{
    // A half of a held pair is there already, in its temp or in place.
    if (heldHalf(path))
        return;
    struct stat info {};
    if (m_fs->stat(nativePath(path).constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            fail(QStringLiteral("impossibile usare il file %1: %2").arg(path, systemErrorText(EISDIR)));
        return;
    }
    if (errno != ENOENT)
        fail(QStringLiteral("impossibile controllare il file %1: %2").arg(path, systemErrorText(errno)));

    FileDescriptor file(*m_fs);
    // O_EXCL: a file that appeared meanwhile is left as it is.
    const int error = file.open(nativePath(path), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_NONBLOCK, 0644);
    if (error == EEXIST)
        return;
    if (error != 0)
        fail(QStringLiteral("impossibile creare il file %1: %2").arg(path, systemErrorText(error)));
    if (const int closeError = file.close())
        fail(QStringLiteral("impossibile creare il file %1: %2").arg(path, systemErrorText(closeError)));
}

int FileRecordStore::readBounded(const QString &path, QByteArray &bytes) const
{
    bytes.clear();
    FileDescriptor file(*m_fs);
    // Non-blocking, so a pipe put in place of the file cannot hang the open.
    if (const int error = file.open(nativePath(path), O_RDONLY | O_NOCTTY | O_NONBLOCK))
        return error;
    struct stat info {};
    if (m_fs->fstat(file.get(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISREG(info.st_mode))
        return ENXIO;
    if (const int error = file.readUpTo(kReadLimit, bytes))
        return error;
    return file.close();
}

QString FileRecordStore::Leggifiletxt(const QString &nomefile)
{
    if (const QByteArray *held = heldHalf(nomefile))
        return RecordCodec::decode(*held);
    QByteArray bytes;
    if (const int error = readBounded(nomefile, bytes))
        fail(QStringLiteral("impossibile leggere il file %1: %2").arg(nomefile, systemErrorText(error)));
    return RecordCodec::decode(bytes);
}

SaveOutcome FileRecordStore::saveIfBeaten(const QString &dir, const QString &scoreCaption, const QString &name,
                                          const QString &shownRecord)
{
    // Not even the record on the window: nothing to look up or lock.
    const double score = captionValue(scoreCaption);
    if (!(score > captionValue(shownRecord)))
        return {SaveOutcome::Kind::NotBeaten, {}};
    QString base;
    try {
        base = withSlash(dir.isEmpty() ? GetSystemDir() : dir);
    } catch (const std::exception &error) {
        return {SaveOutcome::Kind::Failed, QString::fromUtf8(error.what())};
    }

    DirectoryLock lock(base + QLatin1String(kLockFileName), *m_fs);
    if (const int error = lock.acquire(kLockPatience)) {
        return failed(base, error == EWOULDBLOCK
                                ? QStringLiteral("un altro programma sta salvando il record, riprova più tardi")
                                : systemErrorText(error));
    }
    step(RecordStep::LockTaken);

    QString what;
    if (const int error = recover(base, what))
        return failed(base, QStringLiteral("%1 (%2)").arg(systemErrorText(error), what));

    // Another program may have stored a higher record since this one started.
    const QString pointsPath = base + QLatin1String(kPointsFileName);
    QByteArray stored;
    if (const int error = readBounded(pointsPath, stored); error != 0 && error != ENOENT)
        return {SaveOutcome::Kind::Failed, QStringLiteral("impossibile leggere il record salvato in %1: %2")
                                               .arg(pointsPath, systemErrorText(error))};
    if (!(score > captionValue(RecordCodec::decode(stored))))
        return {SaveOutcome::Kind::NotBeaten, {}};

    const QString crlf = QStringLiteral("\r\n");
    if (const int error =
            replacePair(base, RecordCodec::encode(scoreCaption + crlf), RecordCodec::encode(name + crlf), what))
        return failed(base, QStringLiteral("%1 (%2)").arg(systemErrorText(error), what));
    return {SaveOutcome::Kind::Saved, {}};
}

int FileRecordStore::writeTemp(const QByteArray &path, const QByteArray &content, RecordStep created,
                               RecordStep written, RecordStep synced, QString &what) const
{
    what = QStringLiteral("file %1").arg(QFile::decodeName(path));
    FileDescriptor file(*m_fs);
    if (const int error = file.open(path, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NOCTTY, 0644))
        return error;
    step(created);
    if (const int error = file.writeAll(content))
        return error;
    step(written);
    if (const int error = file.sync())
        return error;
    if (const int error = file.close())
        return error;
    step(synced);
    return 0;
}

int FileRecordStore::replacePair(const QString &dir, const QByteArray &points, const QByteArray &name,
                                 QString &what) const
{
    const QString pointsPath = dir + QLatin1String(kPointsFileName);
    const QString namePath = dir + QLatin1String(kNameFileName);
    const QString marker = dir + QLatin1String(kPendingFileName);

    // Until the marker exists every failure leaves the old pair untouched.
    int error = writeTemp(nativePath(tempOf(pointsPath)), points, RecordStep::PointsTempCreated,
                          RecordStep::PointsTempWritten, RecordStep::PointsTempSynced, what);
    if (error == 0)
        error = writeTemp(nativePath(tempOf(namePath)), name, RecordStep::NameTempCreated,
                          RecordStep::NameTempWritten, RecordStep::NameTempSynced, what);
    if (error == 0) {
        what = QStringLiteral("cartella %1").arg(dir);
        error = syncDirectory(dir);
    }
    if (error != 0) {
        discardTemps(dir);
        return error;
    }
    step(RecordStep::TempsDirSynced);

    what = QStringLiteral("file %1").arg(marker);
    FileDescriptor markerFile(*m_fs);
    error = markerFile.open(nativePath(marker), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NOCTTY, 0644);
    if (error == 0)
        error = markerFile.close();
    if (error == 0) {
        step(RecordStep::MarkerCreated);
        error = syncDirectory(dir);
    }
    if (error != 0) {
        // Nothing is renamed yet, so backing out still gives the old pair.
        backOut(dir);
        return error;
    }
    step(RecordStep::MarkerSynced);

    what = QStringLiteral("file %1").arg(pointsPath);
    if ((error = renameFile(*m_fs, tempOf(pointsPath), pointsPath))) {
        backOut(dir);
        return error;
    }
    step(RecordStep::PointsRenamed);

    // Half of the new pair is in place: only going forward keeps it whole,
    // and whatever fails here is finished by the next start.
    const QString later = QStringLiteral("; il salvataggio sarà completato al prossimo avvio");
    what = QStringLiteral("file %1%2").arg(namePath, later);
    if ((error = renameFile(*m_fs, tempOf(namePath), namePath)))
        return error;
    step(RecordStep::NameRenamed);
    what = QStringLiteral("cartella %1%2").arg(dir, later);
    if ((error = syncDirectory(dir)))
        return error;
    step(RecordStep::RenamesSynced);

    // The pair is in place and on disk. A marker that outlives this is
    // harmless: with no new files beside it, the next start just removes it.
    if ((error = removeFile(*m_fs, marker)) || (error = syncDirectory(dir)))
        qWarning("zorvali: segnale di salvataggio %s non rimosso: %s", qPrintable(marker),
                 qPrintable(systemErrorText(error)));
    else
        step(RecordStep::MarkerRemoved);
    return 0;
}

int FileRecordStore::recover(const QString &dir, QString &what) const
{
    const QString pointsPath = dir + QLatin1String(kPointsFileName);
    const QString namePath = dir + QLatin1String(kNameFileName);
    const QString marker = dir + QLatin1String(kPendingFileName);

    what = QStringLiteral("file %1").arg(marker);
    const int markerState = probe(*m_fs, marker);
    if (markerState == ENOENT) {
        // Uncommitted: new files, whole or torn, are thrown away.
        discardTemps(dir);
        return 0;
    }
    if (markerState != 0)
        return markerState;

    // Committed: the new files were on disk before the marker was, so each
    // one still beside its old file is put in place.
    const struct {
        const QString &target;
        RecordStep done;
    } pending[] = {{pointsPath, RecordStep::RecoveryPointsRenamed}, {namePath, RecordStep::RecoveryNameRenamed}};
    for (const auto &file : pending) {
        what = QStringLiteral("file %1").arg(file.target);
        const int state = probe(*m_fs, tempOf(file.target));
        if (state == ENOENT)
            continue;
        if (state != 0)
            return state;
        if (const int error = renameFile(*m_fs, tempOf(file.target), file.target))
            return error;
        step(file.done);
    }
    what = QStringLiteral("cartella %1").arg(dir);
    if (const int error = syncDirectory(dir))
        return error;
    step(RecordStep::RecoveryRenamesSynced);
    what = QStringLiteral("file %1").arg(marker);
    if (const int error = removeFile(*m_fs, marker))
        return error;
    step(RecordStep::RecoveryMarkerRemoved);
    what = QStringLiteral("cartella %1").arg(dir);
    return syncDirectory(dir);
}

void FileRecordStore::backOut(const QString &dir) const
{
    // The marker's removal must reach the disk before the temps go: a power
    // cut between them could otherwise keep the marker beside one new file,
    // and the next start would put that half alone in place. Whatever stays
    // is settled by the next start.
    if (removeFile(*m_fs, dir + QLatin1String(kPendingFileName)) == 0 && syncDirectory(dir) == 0)
        discardTemps(dir);
}

void FileRecordStore::discardTemps(const QString &dir) const
{
    for (const char *file : {kPointsFileName, kNameFileName}) {
        const QString temp = tempOf(dir + QLatin1String(file));
        if (const int error = removeFile(*m_fs, temp))
            qWarning("zorvali: file temporaneo %s non rimosso: %s", qPrintable(temp),
                     qPrintable(systemErrorText(error)));
    }
}

int FileRecordStore::syncDirectory(const QString &dir) const
{
    FileDescriptor directory(*m_fs);
    if (const int error = directory.open(nativePath(dir), O_RDONLY | O_DIRECTORY))
        return error;
    // File systems that cannot sync a directory say EINVAL; they order
    // renames themselves, so there is nothing more to wait for.
    if (const int error = directory.sync(); error != 0 && error != EINVAL)
        return error;
    return directory.close();
}
