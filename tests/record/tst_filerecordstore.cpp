// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/directorylock.h"
#include "record/filerecordstore.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <future>
#include <optional>
#include <sys/resource.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;
using Kind = SaveOutcome::Kind;
using Files = QMap<QString, QByteArray>;

namespace {

// Spelled out, not taken from the store: a renamed file loses every record.
const QString kPoints = QStringLiteral("azorvrec3.txt");
const QString kName = QStringLiteral("nzorvrec3.txt");
const QString kLock = QStringLiteral("zorvrec3.lock");
// The pair every case saves 12 points over, on disk and shown.
const Files kOldFiles{{kPoints, "5\r\n"}, {kName, "Anna\r\n"}};
const QStringList kOldPair{"5\r\n", "Anna\r\n"};

// The files of `dir` but the lock, which holds nothing a start reads.
Files filesIn(const QString &dir)
{
    Files files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (QFile file(dir + u'/' + name); name != kLock)
            files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : "<unreadable>";
    return files;
}
void writeFiles(const QString &dir, const Files &files)
{
    for (const auto &[name, bytes] : files.asKeyValueRange()) {
        QFile file(dir + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
}

// What a start shows as the window reads it, each file apart: the record
// caption and name, or "?" for each it reports it cannot read.
QStringList startUp(FileRecordStore &store)
{
    QStringList shown{"?", "?"};
    try {
        const QString dir = store.GetSystemDir();
        for (qsizetype i = 0; i < 2; ++i) {
            try {
                store.createIfMissing(dir + (i == 0 ? kPoints : kName));
                shown[i] = store.Leggifiletxt(dir + (i == 0 ? kPoints : kName));
            } catch (const std::exception &) {
            }
        }
    } catch (const std::exception &) {
    }
    return shown;
}

// The call numbered `at` (from 1) fails with `error`; after EROFS every change
// or sync does, as on a disk remounted read-only, which keeps what a program
// killed there would. With `file`, every call on it fails (a bad block).
struct Fault {
    qsizetype at = 0;
    int error = 0;
    QString file{};
};

// A disk failing as `Fault` says, whose syncs cost nothing: it keeps the
// directory as last synced and the changes since, all a power cut may keep.
class FailingDisk final : public FileSystem {
    using Real = FileSystem;
    using Change = std::pair<QString, QString>; // created: from empty; removed: to empty

public:
    using Traced = std::tuple<const char *, QString, bool>; // the call, its file ("." for the directory), a change?

    explicit FailingDisk(const QString &dir, Fault fault = {})
        : m_dir(dir), m_fault(std::move(fault)), m_synced(filesIn(dir)) {}

    int open(const char *path, int flags, mode_t mode) const override
    {
        const bool changes = flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC);
        const Change created{{}, (flags & O_CREAT) && !QFileInfo::exists(path) ? path : ""};
        const int fd = fails("open", path, changes, created) ? -1 : Real::open(path, flags, mode);
        m_open[fd] = path;
        return fd;
    }
    ssize_t read(int fd, void *to, size_t n) const override { return fails("read", fd) ? -1 : Real::read(fd, to, n); }
    ssize_t write(int fd, const void *b, size_t n) const override { return fails("write", fd, true) ? -1 : Real::write(fd, b, n); }
    int fsync(int fd) const override
    {
        if (fails("fsync", fd, true))
            return -1;
        if (nameOf(m_open.value(fd)) == u".") {
            m_synced = filesIn(m_dir.path());
            m_changes.clear();
        }
        return 0;
    }
    // A failing close still releases the descriptor.
    int close(int fd) const override { return fails("close", fd) ? (Real::close(fd), -1) : Real::close(fd); }
    int lstat(const char *path, struct stat *info) const override { return fails("lstat", path) ? -1 : Real::lstat(path, info); }
    int rename(const char *from, const char *to) const override
    {
        return fails("rename", from, true, {from, to}) ? -1 : Real::rename(from, to);
    }
    int unlink(const char *path) const override { return fails("unlink", path, true, {path, {}}) ? -1 : Real::unlink(path); }
    int flock(int fd, int how) const override { return fails("flock", fd) ? -1 : Real::flock(fd, how); }

    const QList<Traced> &trace() const { return m_trace; }

    // Every directory a power cut may leave now (the synced one, any later
    // changes applied in order), read by a start: it shows one of `pairs`.
    void checkPowerCuts(const QList<QStringList> &pairs) const
    {
        const Files now = filesIn(m_dir.path());
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
            QTemporaryDir cut;
            writeFiles(cut.path() + u'/', state);
            const FailingDisk quick(cut.path()); // whose syncs cost nothing
            FileRecordStore store(cut.path(), quick);
            const QStringList shown = startUp(store);
            QVERIFY2(pairs.contains(shown), qPrintable(state.keys().join(u' ') + " shows " + shown.join(u'|')));
        }
    }

private:
    QString nameOf(const QString &path) const { return m_dir.relativeFilePath(path); }
    bool fails(const char *call, int fd, bool changes = false) const { return fails(call, m_open.value(fd), changes); }
    bool fails(const char *call, const QString &path, bool changes = false, const Change &change = {}) const
    {
        m_trace << Traced{call, nameOf(path), changes};
        const qsizetype at = m_trace.size();
        const bool readOnly = m_fault.error == EROFS && at > m_fault.at && changes;
        const bool hit = m_fault.file.isEmpty() ? at == m_fault.at || readOnly : m_fault.file == nameOf(path);
        errno = hit ? m_fault.error : 0;
        if (errno == 0 && change != Change())
            m_changes << Change{nameOf(change.first), nameOf(change.second)};
        return errno != 0;
    }

    const QDir m_dir;
    const Fault m_fault;
    mutable QList<Traced> m_trace;
    mutable QHash<int, QString> m_open;
    mutable Files m_synced;
    mutable QList<Change> m_changes;
};

// One row: the second program's save meets `save`; then, with `start`, the
// start after it meets that.
struct Case {
    Fault save{};
    Fault start{};
    bool newPair = false; // at every later start; else the old, unless saved
    QString name = u"Niccolò"_s; // as typed, and its bytes on disk before the CR LF
    QByteArray bytes = "Niccol\xF2";
};

} // namespace

Q_DECLARE_METATYPE(Case)

// The record pair on disk, and other programs on it: racing, refused, failing.
class TestFileRecordStore : public QObject {
    Q_OBJECT

    // Nothing beside the pair but the lock: no new file, no marker.
    void checkPair(const Files &pair)
    {
        QCOMPARE(filesIn(m_dir).keys(), pair.keys());
        QCOMPARE(filesIn(m_dir).values(), pair.values());
    }

    // A row for each fault at each call of a healthy save over the old pair
    // or, after a save stopped by `stop`, of a healthy start, and for every
    // call on one file failing. Gives how many calls came before each step.
    static QMap<RecordStep, qsizetype> addFaults(const QByteArray &who, const Fault &stop = {})
    {
        QTemporaryDir scratch;
        const QString dir = scratch.path() + u'/';
        writeFiles(dir, kOldFiles);
        const FailingDisk stopping(dir, stop), disk(dir);
        FileRecordStore store(dir, disk);
        QMap<RecordStep, qsizetype> steps;
        store.setStepHook([&](RecordStep step) { steps[step] = disk.trace().size(); });
        if (stop.error == 0)
            store.saveIfBeaten(dir, "12", u"Niccolò"_s, "5");
        else if (FileRecordStore(dir, stopping).saveIfBeaten(dir, "12", u"Niccolò"_s, "5").kind == Kind::Failed)
            startUp(store);
        const auto add = [&](const QByteArray &what, const Fault &fault) {
            // A start finishes the committed swap. A save is harmless when
            // retried; else backed out up to the renames, unless the disk goes
            // read-only with the marker, which commits the swap, made.
            const bool stopped = fault.error == EROFS && fault.at >= steps[RecordStep::MarkerCreated];
            const bool newPair = fault.error == EINTR || stopped || fault.at > steps[RecordStep::PointsRenamed];
            QTest::newRow((who + ", " + what + ": " + strerrorname_np(fault.error)).constData())
                << (stop.error != 0 ? Case{stop, fault, true} : Case{fault, {}, newPair});
        };
        QStringList files;
        for (qsizetype at = 1; at <= disk.trace().size(); ++at) {
            const auto &[call, file, changes] = disk.trace()[at - 1];
            // Only these calls can be interrupted; only a change or sync is refused read-only.
            const bool interruptible = QByteArrayList{"open", "read", "write", "close", "flock"}.contains(call);
            for (const int error : {EIO, EINTR, EROFS})
                if (error == EIO || (error == EINTR ? interruptible : changes))
                    add("call " + QByteArray::number(at) + " (" + call + ' ' + file.toUtf8() + ')', Fault{at, error});
            files << file;
        }
        files.removeDuplicates();
        for (const QString &file : files)
            add("every call on " + file.toUtf8(), Fault{0, EIO, file});
        return steps;
    }

    QTemporaryDir m_tmp;
    const QString m_dir = m_tmp.path() + u'/'; // with its trailing slash, as GetSystemDir gives it

private Q_SLOTS:
    void init() { QVERIFY(QDir(m_dir).removeRecursively() && QDir().mkpath(m_dir)); }

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

    // Neither the start after a broken save, nor any later one, nor one after
    // a power cut, may show a half of each pair.
    void brokenSave_data()
    {
        QTest::addColumn<Case>("row");
        // A name's bytes on disk, read back as typed.
        QTest::newRow("save, grave accent") << Case{.newPair = true};
        QTest::newRow("save, high block") << Case{.newPair = true, .name = u"€ œ Ÿ"_s, .bytes = "\x80 \x9C \x9F"};
        QTest::newRow("save, cyrillic") << Case{.newPair = true, .name = u"Дмитрий"_s, .bytes = u"Дмитрий"_s.toUtf8()};
        // In 1252 these are the bytes C3 A9, which would read back as UTF-8 "é".
        QTest::newRow("save, 1252 that looks like utf-8") << Case{.newPair = true, .name = u"Ã©"_s, .bytes = u"Ã©"_s.toUtf8()};
        // Reading drops an editor's mark, so a name's own mark gets a second one.
        QTest::newRow("save, byte-order mark")
            << Case{.newPair = true, .name = u"\uFEFFAnna"_s, .bytes = "\xEF\xBB\xBF\xEF\xBB\xBF" "Anna"};
        // Not UTF-8 after all, so 1252 both ways.
        QTest::newRow("save, broken utf-8") << Case{.newPair = true, .name = u"Ã("_s, .bytes = "\xC3("};
        const QMap<RecordStep, qsizetype> steps = addFaults("save");
        for (const RecordStep step : {RecordStep::MarkerCreated, RecordStep::PointsRenamed})
            addFaults("save stopped after step " + QByteArray::number(int(step)) + ", start", {steps[step] + 1, EROFS});
    }
    void brokenSave()
    {
        QFETCH(Case, row);
        const QStringList newPair{"12\r\n", row.name + "\r\n"};
        writeFiles(m_dir, kOldFiles);
        const FailingDisk saveDisk(m_dir, row.save);
        const SaveOutcome outcome = FileRecordStore(m_dir, saveDisk).saveIfBeaten(m_dir, "12", row.name, "5");
        row.newPair = row.newPair || outcome.kind == Kind::Saved;
        saveDisk.checkPowerCuts({kOldPair, newPair});
        if (row.start.error != 0) {
            const FailingDisk disk(m_dir, row.start);
            FileRecordStore store(m_dir, disk);
            const QStringList shown = startUp(store);
            // Each half new, or reported unread where the disk cannot be read.
            for (qsizetype i = 0; i < 2; ++i)
                QVERIFY2(shown[i] == newPair[i] || (shown[i] == u"?" && row.start.error == EIO),
                         qPrintable(shown.join(u'|')));
            disk.checkPowerCuts({newPair});
        }
        QCOMPARE(FileRecordStore(m_dir).GetSystemDir(), m_dir);
        checkPair(row.newPair ? Files{{kPoints, "12\r\n"}, {kName, row.bytes + "\r\n"}} : kOldFiles);
    }

    // Another program holds the lock and stores a higher record meanwhile.
    void lowerScoreWaitsForTheLock()
    {
        writeFiles(m_dir, kOldFiles);
        std::optional<DirectoryLock> other(std::in_place, m_dir + kLock);
        QCOMPARE(other->acquire(0ms), 0);
        FileRecordStore store(m_dir);
        auto save = std::async(std::launch::async, [&] { return store.saveIfBeaten(m_dir, "10", "Bruno", "5").kind; });
        QVERIFY2(save.wait_for(500ms) == std::future_status::timeout, "the save did not wait for the lock");
        const Files higher{{kPoints, "20\r\n"}, {kName, "Alba\r\n"}};
        writeFiles(m_dir, higher);
        other.reset();
        QCOMPARE(save.get(), Kind::NotBeaten);
        checkPair(higher);
    }

    // A disk that takes no more: the save says so and why, and the pair stays.
    void refusingDisk()
    {
        writeFiles(m_dir, kOldFiles);
        rlimit unlimited{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &unlimited) == 0);
        const rlimit tiny{2, unlimited.rlim_max};
        std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &tiny) == 0);
        const SaveOutcome outcome = FileRecordStore(m_dir).saveIfBeaten(m_dir, "12", "Amico", "5");
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &unlimited) == 0);
        QCOMPARE(outcome.kind, Kind::Failed);
        QVERIFY2(outcome.reason.startsWith("impossibile scrivere nella cartella " + m_tmp.path() + ": ")
                     && outcome.reason.contains("limite di dimensione"),
                 qPrintable(outcome.reason));
        checkPair(kOldFiles);
    }
};

QTEST_GUILESS_MAIN(TestFileRecordStore)
#include "tst_filerecordstore.moc"
