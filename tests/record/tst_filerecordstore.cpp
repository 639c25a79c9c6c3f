// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/directorylock.h"
#include "record/filerecordstore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <future>
#include <optional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using Kind = SaveOutcome::Kind;

namespace {

// Spelled out, not taken from the store: a renamed file loses every record.
const QString kPoints = QStringLiteral("azorvrec3.txt");
const QString kName = QStringLiteral("nzorvrec3.txt");
QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs `work` in a forked copy of this test, a second program on the pair:
// its exit status, or -1 when it was killed.
template <typename Work>
int inChild(const Work &work)
{
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(work());
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A disk that fails one call with a chosen error, or, `lasting`, every call
// from then on, as a dying disk does; once it has said EROFS it refuses every
// change, as a disk remounted read-only does. Its syncs cost
// nothing: it keeps instead the directory as its last sync left it and the
// changes made since, which is all a power cut may keep.
class FailingDisk final : public FileSystem {
public:
    enum class Call { Open, Read, Write, Sync, Close, Stat, Rename, Unlink, Lock };
    struct Traced {
        Call call;
        QString file; // "." for the directory
    };
    using Files = QMap<QString, QByteArray>;

    explicit FailingDisk(const QString &dir, qsizetype failAt = 0, int error = 0, bool lasting = false)
        : m_dir(QDir::cleanPath(dir)), m_failAt(failAt), m_error(error), m_lasting(lasting), m_synced(files())
    {
    }
    static FailingDisk readOnly(const QString &dir)
    {
        FailingDisk disk(dir);
        disk.m_stuck = EROFS;
        return disk;
    }

    int open(const char *path, int flags, mode_t mode) const override
    {
        const bool creates = (flags & O_CREAT) && !QFileInfo::exists(path);
        if (fails(Call::Open, path, flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC)))
            return -1;
        const int fd = FileSystem::open(path, flags, mode);
        if (fd >= 0)
            m_open[fd] = QDir::cleanPath(path);
        if (fd >= 0 && creates)
            changed({}, path);
        return fd;
    }
    ssize_t read(int fd, void *buffer, size_t size) const override
    {
        return fails(Call::Read, m_open.value(fd), false) ? -1 : FileSystem::read(fd, buffer, size);
    }
    ssize_t write(int fd, const void *buffer, size_t size) const override
    {
        return fails(Call::Write, m_open.value(fd), true) ? -1 : FileSystem::write(fd, buffer, size);
    }
    int fsync(int fd) const override
    {
        if (fails(Call::Sync, m_open.value(fd), false))
            return -1;
        if (m_open.value(fd) == m_dir) {
            m_synced = files();
            m_changes.clear();
        }
        return 0;
    }
    int close(int fd) const override
    {
        // A failing close still releases the descriptor.
        const bool failed = fails(Call::Close, m_open.take(fd), false);
        const int error = errno;
        FileSystem::close(fd);
        errno = error;
        return failed ? -1 : 0;
    }
    int fstat(int fd, struct stat *info) const override
    {
        return fails(Call::Stat, m_open.value(fd), false) ? -1 : FileSystem::fstat(fd, info);
    }
    int stat(const char *path, struct stat *info) const override
    {
        return fails(Call::Stat, path, false) ? -1 : FileSystem::stat(path, info);
    }
    int lstat(const char *path, struct stat *info) const override
    {
        return fails(Call::Stat, path, false) ? -1 : FileSystem::lstat(path, info);
    }
    int rename(const char *from, const char *to) const override
    {
        if (fails(Call::Rename, from, true) || FileSystem::rename(from, to) != 0)
            return -1;
        changed(from, to);
        return 0;
    }
    int unlink(const char *path) const override
    {
        if (fails(Call::Unlink, path, true) || FileSystem::unlink(path) != 0)
            return -1;
        changed(path, {});
        return 0;
    }
    int flock(int fd, int operation) const override
    {
        return fails(Call::Lock, m_open.value(fd), false) ? -1 : FileSystem::flock(fd, operation);
    }

    const QList<Traced> &trace() const { return m_trace; }

    // Every directory a power cut could leave now: the last synced one with
    // any of the later changes applied, in their order.
    QList<Files> powerCutStates() const
    {
        const Files now = files();
        QList<Files> states;
        for (unsigned kept = 0; kept < (1u << m_changes.size()); ++kept) {
            Files state = m_synced;
            for (qsizetype i = 0; i < m_changes.size(); ++i) {
                const auto &[from, to] = m_changes[i];
                if (!(kept & (1u << i)) || (!from.isEmpty() && !state.contains(from)))
                    continue;
                const QByteArray bytes = from.isEmpty() ? now.value(to) : state.take(from);
                if (!to.isEmpty())
                    state[to] = bytes;
            }
            if (!states.contains(state))
                states << state;
        }
        return states;
    }

private:
    QString nameOf(const QString &path) const
    {
        const QString clean = QDir::cleanPath(path);
        return clean == m_dir ? QStringLiteral(".") : QFileInfo(clean).fileName();
    }
    bool fails(Call call, const QString &path, bool changes) const
    {
        m_trace << Traced{call, nameOf(path)};
        int error = m_trace.size() == m_failAt ? m_error : 0;
        if (m_stuck != 0 && (m_stuck != EROFS || changes))
            error = m_stuck;
        if (error == EROFS || (error != 0 && m_lasting))
            m_stuck = error;
        errno = error;
        return error != 0;
    }
    // The lock file holds nothing a start reads, so it is left out.
    void changed(const QString &from, const QString &to) const
    {
        if (nameOf(from) != kLock && nameOf(to) != kLock)
            m_changes << std::pair{from.isEmpty() ? from : nameOf(from), to.isEmpty() ? to : nameOf(to)};
    }
    Files files() const
    {
        Files files;
        for (const QString &name : QDir(m_dir).entryList(QDir::Files | QDir::Hidden | QDir::System))
            if (name != kLock)
                files[name] = bytesOf(m_dir + u'/' + name);
        return files;
    }

    static constexpr QLatin1StringView kLock{"zorvrec3.lock"};
    const QString m_dir;
    const qsizetype m_failAt;
    const int m_error;
    const bool m_lasting;
    mutable int m_stuck = 0;
    mutable QList<Traced> m_trace;
    mutable QHash<int, QString> m_open;
    mutable Files m_synced;
    mutable QList<std::pair<QString, QString>> m_changes; // created: from empty; removed: to empty
};

// The errors real disks give for each call, in the order of FailingDisk::Call.
const QList<int> kRealErrors[] = {
    {EIO, ENOSPC, EDQUOT, EROFS, EINTR}, {EIO, EINTR}, {EIO, ENOSPC, EDQUOT, EINTR},
    {EIO, ENOSPC, EDQUOT}, {EIO, ENOSPC, EDQUOT, EINTR}, {EIO}, {EIO, ENOSPC, EDQUOT, EROFS},
    {EIO, EROFS}, {ENOLCK, EINTR},
};

bool writeFiles(const QString &dir, const FailingDisk::Files &files)
{
    for (auto file = files.begin(); file != files.end(); ++file) {
        QFile out(dir + file.key());
        if (!out.open(QIODevice::WriteOnly) || out.write(file.value()) != file.value().size())
            return false;
    }
    return true;
}

// What a start shows on the window, read as the window reads it: the record
// caption and name, each empty when it could not be read, and whether a
// failure was reported.
struct Shown {
    QStringList pair;
    bool failed = false;
};
Shown startUp(FileRecordStore &&store)
{
    Shown shown{{QString(), QString()}};
    const auto attempt = [&](const auto &work) {
        try {
            work();
            return true;
        } catch (const std::exception &) {
            shown.failed = true;
            return false;
        }
    };
    QString dir;
    if (!attempt([&] { dir = store.GetSystemDir(); }))
        return shown;
    const QStringList paths{dir + kPoints, dir + kName};
    for (const QString &path : paths)
        attempt([&] { store.createIfMissing(path); });
    for (qsizetype i = 0; i < paths.size(); ++i)
        attempt([&] { shown.pair[i] = store.Leggifiletxt(paths[i]); });
    return shown;
}

// A store whose process dies at `step`.
FileRecordStore dyingAt(const QString &dir, int step)
{
    FileRecordStore store(dir);
    store.setStepHook([step](RecordStep at) {
        if (int(at) == step)
            std::raise(SIGKILL);
    });
    return store;
}

} // namespace

// The record pair on disk, and other programs on it: killed, racing, refused,
// on a failing disk.
class TestFileRecordStore : public QObject {
    Q_OBJECT

    void putPair(const QByteArray &points, const QByteArray &name)
    {
        QVERIFY(writeFiles(m_dir, {{kPoints, points}, {kName, name}}));
    }
    void checkPair(const QByteArray &points, const QByteArray &name)
    {
        QCOMPARE(bytesOf(m_dir + kPoints), points);
        QCOMPARE(bytesOf(m_dir + kName), name);
        // Nothing beside the pair but the lock: no new file, no marker.
        QStringList others = QDir(m_dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString &kept : {kPoints, kName, QStringLiteral("zorvrec3.lock")})
            others.removeAll(kept);
        QCOMPARE(others, QStringList());
    }

    // Every state a power cut could leave after `disk` was used, each read
    // by a start in a directory of its own: it shows one of `pairs` whole.
    static void checkPowerCuts(const FailingDisk &disk, const QList<QStringList> &pairs)
    {
        for (const FailingDisk::Files &state : disk.powerCutStates()) {
            QTemporaryDir cut;
            const QString dir = cut.path() + u'/';
            QVERIFY(writeFiles(dir, state));
            const FailingDisk healthy(dir);
            const Shown shown = startUp(FileRecordStore(dir, healthy));
            QVERIFY2(pairs.contains(shown.pair), qPrintable(QStringList(state.keys()).join(u' ') + " shows "
                                                            + shown.pair.join(u'|')));
        }
    }
    // The calls a healthy save makes with the old pair in place, or when
    // `killedAt` > 0, those of the start after a save killed there.
    static QList<FailingDisk::Traced> traceOf(int killedAt)
    {
        QTemporaryDir scratch;
        const QString dir = scratch.path() + u'/';
        if (!writeFiles(dir, {{kPoints, "5\r\n"}, {kName, "Anna\r\n"}}))
            return {};
        if (killedAt != 0)
            inChild([&] { return int(dyingAt(dir, killedAt).saveIfBeaten(dir, "12", u"Niccolò"_s, "5").kind); });
        const FailingDisk disk(dir);
        if (killedAt == 0)
            FileRecordStore(dir, disk).saveIfBeaten(dir, "12", u"Niccolò"_s, "5");
        else
            startUp(FileRecordStore(dir, disk));
        return disk.trace();
    }

    std::optional<QTemporaryDir> m_tmp;
    QString m_dir; // with its trailing slash, as GetSystemDir gives it

private Q_SLOTS:
    void init()
    {
        m_tmp.emplace();
        QVERIFY(m_tmp->isValid());
        m_dir = m_tmp->path() + "/";
    }

    // The number that decides whether a record is beaten.
    void lenientValue_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("no number") << "abc" << 0.0;
        QTest::newRow("leading blanks") << " \t\n7x" << 7.0;
        QTest::newRow("blanks within, then CR LF") << "1 2\r\n" << 12.0;
        QTest::newRow("line feed within") << "1\n2" << 12.0;
        QTest::newRow("stops at CR") << "1\r\n2" << 1.0;
    }
    void lenientValue()
    {
        QFETCH(QString, caption);
        QFETCH(double, expected);
        QCOMPARE(captionValue(caption), expected);
    }

    // A name as typed, its bytes on disk before the CR LF, and read back as typed.
    void name_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("grave accent") << u"Niccolò"_s << QByteArray("Niccol\xF2");
        QTest::newRow("high block") << u"€ œ Ÿ"_s << QByteArray("\x80 \x9C \x9F");
        QTest::newRow("cyrillic") << u"Дмитрий"_s << u"Дмитрий"_s.toUtf8();
        // In 1252 these are the bytes C3 A9, which would read back as UTF-8 "é".
        QTest::newRow("1252 that looks like utf-8") << u"Ã©"_s << u"Ã©"_s.toUtf8();
        // Reading drops an editor's mark, so a name's own mark gets a second one.
        QTest::newRow("byte-order mark") << u"\uFEFFAnna"_s << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF" "Anna");
        // Not UTF-8 after all, so 1252 both ways.
        QTest::newRow("broken utf-8") << u"Ã("_s << QByteArray("\xC3(");
    }
    void name()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        FileRecordStore store(m_dir);
        QCOMPARE(store.saveIfBeaten(m_dir, "12", name, "").kind, Kind::Saved);
        QCOMPARE(bytesOf(m_dir + kName), bytes + "\r\n");
        QCOMPARE(store.Leggifiletxt(m_dir + kName), name + "\r\n");
    }

    // The second program's save is killed at one step, or one of its calls on
    // the disk fails; or the save is killed and then the start that completes
    // it is killed or fails. Neither that start nor any later one, nor one
    // after a power cut, may show a half of each pair.
    void brokenSave_data()
    {
        QTest::addColumn<int>("saveStep");
        QTest::addColumn<int>("startStep");
        QTest::addColumn<int>("saveCall");
        QTest::addColumn<int>("startCall");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("lasting"); // the disk fails every call after it too
        QTest::addColumn<int>("saved"); // when a save's call fails: 1 saved, 0 failed, -1 either
        QTest::addColumn<bool>("newPair"); // else the old one, at every later start, unless saved
        QTest::newRow("not killed") << 0 << 0 << 0 << 0 << 0 << false << 1 << true;
        for (int step = int(RecordStep::LockTaken); step <= int(RecordStep::MarkerRemoved); ++step)
            QTest::addRow("save killed at %d", step)
                << step << 0 << 0 << 0 << 0 << false << 0 << (step >= int(RecordStep::MarkerCreated));
        for (const RecordStep save : {RecordStep::MarkerCreated, RecordStep::PointsRenamed}) {
            for (int step = int(RecordStep::RecoveryPointsRenamed); step <= int(RecordStep::RecoveryMarkerRemoved);
                 ++step)
                QTest::addRow("save killed at %d, start at %d", int(save), step)
                    << int(save) << step << 0 << 0 << 0 << false << 0 << true;
        }

        const QList<FailingDisk::Traced> save = traceOf(0);
        const auto find = [&](FailingDisk::Call call, const QString &file, qsizetype after = 0) {
            for (qsizetype i = after; i < save.size(); ++i)
                if (save[i].call == call && (file.isEmpty() || save[i].file == file))
                    return i + 1;
            return qsizetype(-1);
        };
        // The marker makes the swap; the renames are durable once the
        // directory is synced and closed after them.
        const qsizetype marker = find(FailingDisk::Call::Open, "zorvrec3.pending");
        const qsizetype pointsRenamed = find(FailingDisk::Call::Rename, {});
        const qsizetype nameRenamed = find(FailingDisk::Call::Rename, {}, pointsRenamed);
        const qsizetype durable = find(FailingDisk::Call::Close, ".", nameRenamed);
        QVERIFY(marker > 0 && pointsRenamed > marker && durable > pointsRenamed);
        for (qsizetype call = 1; call <= save.size(); ++call) {
            for (const int error : kRealErrors[int(save[call - 1].call)]) {
                // Before the marker, some faults are harmless (a leftover
                // that cannot be looked at is overwritten).
                const int saved = error == EINTR || call > durable ? 1 : call >= marker ? 0 : -1;
                // Backed out up to the renames, unless a disk gone read-only
                // keeps the marker that commits the swap.
                const bool newPair = call > pointsRenamed || (error == EROFS && call > marker);
                QTest::addRow("save call %lld (%s) fails %s", call, qPrintable(save[call - 1].file),
                              strerrorname_np(error))
                    << 0 << 0 << int(call) << 0 << error << false << saved << newPair;
            }
        }
        for (const RecordStep killed : {RecordStep::MarkerCreated, RecordStep::PointsRenamed}) {
            const QList<FailingDisk::Traced> start = traceOf(int(killed));
            for (qsizetype call = 1; call <= start.size(); ++call) {
                for (const int error : kRealErrors[int(start[call - 1].call)])
                    QTest::addRow("save killed at %d, start call %lld (%s) fails %s", int(killed), call,
                                  qPrintable(start[call - 1].file), strerrorname_np(error))
                        << int(killed) << 0 << 0 << int(call) << error << false << 0 << true;
                QTest::addRow("save killed at %d, start fails from call %lld (%s) on", int(killed), call,
                              qPrintable(start[call - 1].file))
                    << int(killed) << 0 << 0 << int(call) << EIO << true << 0 << true;
            }
        }
    }
    void brokenSave()
    {
        QFETCH(int, saveStep);
        QFETCH(int, startStep);
        QFETCH(int, saveCall);
        QFETCH(int, startCall);
        QFETCH(int, error);
        QFETCH(bool, lasting);
        QFETCH(int, saved);
        QFETCH(bool, newPair);
        const QStringList oldPair{"5\r\n", "Anna\r\n"};
        const QStringList committed{"12\r\n", u"Niccolò\r\n"_s};
        putPair("5\r\n", "Anna\r\n");
        if (saveCall != 0) {
            const FailingDisk disk(m_dir, saveCall, error);
            const SaveOutcome outcome = FileRecordStore(m_dir, disk).saveIfBeaten(m_dir, "12", u"Niccolò"_s, "5");
            if (saved != -1)
                QCOMPARE(outcome.kind, saved ? Kind::Saved : Kind::Failed);
            newPair = newPair || outcome.kind == Kind::Saved;
            checkPowerCuts(disk, {oldPair, committed});
        } else {
            const auto save = [&] {
                return int(dyingAt(m_dir, saveStep).saveIfBeaten(m_dir, "12", u"Niccolò"_s, "5").kind);
            };
            QCOMPARE(inChild(save), saveStep == 0 ? int(Kind::Saved) : -1);
        }
        if (startStep != 0)
            inChild([&] { return int(dyingAt(m_dir, startStep).GetSystemDir().isEmpty()); });
        if (startCall != 0) {
            const FailingDisk disk(m_dir, startCall, error, lasting);
            // The committed pair whole, or what is missing reported.
            const Shown shown = startUp(FileRecordStore(m_dir, disk));
            for (qsizetype i = 0; i < shown.pair.size(); ++i)
                QVERIFY2(shown.pair[i] == committed[i] || (shown.pair[i].isEmpty() && shown.failed),
                         qPrintable(shown.pair.join(u'|')));
            if (error == EROFS) {
                const FailingDisk stillReadOnly = FailingDisk::readOnly(m_dir);
                QCOMPARE(startUp(FileRecordStore(m_dir, stillReadOnly)).pair, committed);
            }
            checkPowerCuts(disk, {committed});
        }
        QCOMPARE(FileRecordStore(m_dir).GetSystemDir(), m_dir);
        if (newPair)
            checkPair("12\r\n", "Niccol\xF2\r\n");
        else
            checkPair("5\r\n", "Anna\r\n");
    }

    // Another program holds the lock and stores a higher record meanwhile.
    void lowerScoreWaitsForTheLock()
    {
        putPair("5\r\n", "Anna\r\n");
        std::optional<DirectoryLock> other(std::in_place, m_dir + "zorvrec3.lock");
        QCOMPARE(other->acquire(0ms), 0);
        FileRecordStore store(m_dir);
        auto save = std::async(std::launch::async, [&] { return store.saveIfBeaten(m_dir, "10", "Bruno", "5").kind; });
        QVERIFY2(save.wait_for(500ms) == std::future_status::timeout, "the save did not wait for the lock");
        putPair("20\r\n", "Alba\r\n");
        other.reset();
        QCOMPARE(save.get(), Kind::NotBeaten);
        checkPair("20\r\n", "Alba\r\n");
    }

    // A disk that takes no more: the save says so and why, and the pair stays.
    void refusingDisk()
    {
        putPair("5\r\n", "Anna\r\n");
        rlimit unlimited{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
        const rlimit tiny{2, unlimited.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);
        const SaveOutcome outcome = FileRecordStore(m_dir).saveIfBeaten(m_dir, "12", "Amico", "5");
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
        QCOMPARE(outcome.kind, Kind::Failed);
        QVERIFY2(outcome.reason.startsWith("impossibile scrivere nella cartella " + m_tmp->path() + ": ")
                     && outcome.reason.contains("limite di dimensione"),
                 qPrintable(outcome.reason));
        checkPair("5\r\n", "Anna\r\n");
    }
};

QTEST_GUILESS_MAIN(TestFileRecordStore)
#include "tst_filerecordstore.moc"
