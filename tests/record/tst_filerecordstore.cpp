// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/directorylock.h"
#include "record/filerecordstore.h"

#include <QTemporaryDir>
#include <QTest>

#include <csignal>
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

// The record pair on disk, and other programs on it: killed, racing, refused.
class TestFileRecordStore : public QObject {
    Q_OBJECT

    void putPair(const QByteArray &points, const QByteArray &name)
    {
        QFile p(m_dir + kPoints), n(m_dir + kName);
        QVERIFY(p.open(QIODevice::WriteOnly) && p.write(points) == points.size());
        QVERIFY(n.open(QIODevice::WriteOnly) && n.write(name) == name.size());
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

    // The second program dies at one step of its save, and maybe the start that
    // completes it dies too; the next start must read the old pair or the new one.
    void killedSave_data()
    {
        QTest::addColumn<int>("saveStep");
        QTest::addColumn<int>("startStep");
        QTest::newRow("not killed") << 0 << 0;
        for (int step = int(RecordStep::LockTaken); step <= int(RecordStep::MarkerRemoved); ++step)
            QTest::addRow("save killed at %d", step) << step << 0;
        for (const RecordStep save : {RecordStep::MarkerCreated, RecordStep::PointsRenamed}) {
            for (int step = int(RecordStep::RecoveryPointsRenamed); step <= int(RecordStep::RecoveryMarkerRemoved);
                 ++step)
                QTest::addRow("save killed at %d, start at %d", int(save), step) << int(save) << step;
        }
    }
    void killedSave()
    {
        QFETCH(int, saveStep);
        QFETCH(int, startStep);
        putPair("5\r\n", "Anna\r\n");
        const auto save = [&] {
            return int(dyingAt(m_dir, saveStep).saveIfBeaten(m_dir, "12", u"Niccolò"_s, "5").kind);
        };
        QCOMPARE(inChild(save), saveStep == 0 ? int(Kind::Saved) : -1);
        if (startStep != 0)
            inChild([&] { return int(dyingAt(m_dir, startStep).GetSystemDir().isEmpty()); });
        QCOMPARE(FileRecordStore(m_dir).GetSystemDir(), m_dir);
        if (saveStep != 0 && saveStep < int(RecordStep::MarkerCreated))
            checkPair("5\r\n", "Anna\r\n");
        else
            checkPair("12\r\n", "Niccol\xF2\r\n");
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
