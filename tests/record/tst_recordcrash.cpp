#include "recordfiles.h"

#include "record/filerecordstore.h"

#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <optional>
#include <vector>

namespace {

const QByteArray kOldPoints("5\r\n");
const QByteArray kOldName("Anna\r\n");
const QByteArray kNewPoints("12\r\n");
const QByteArray kNewName("Niccol\xF2\r\n");

struct ChildResult {
    bool killed = false;
    int exitCode = -1;
    QStringList lines;
};

ChildResult finish(QProcess &child)
{
    if (!child.waitForFinished(60000))
        child.kill();
    ChildResult result;
    result.killed = child.exitStatus() == QProcess::CrashExit;
    result.exitCode = child.exitCode();
    result.lines = QString::fromUtf8(child.readAllStandardOutput()).split(u'\n');
    return result;
}

void start(QProcess &child, const QStringList &args)
{
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(RECORD_CHILD, args);
    QVERIFY(child.waitForStarted());
}

ChildResult run(const QStringList &args)
{
    QProcess child;
    start(child, args);
    return finish(child);
}

} // namespace

// Other programs on the same record pair: killed mid-save, running at the
// same time, or writing to a disk that refuses the data.
class TestRecordCrash : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void killedSaveLeavesAPair_data();
    void killedSaveLeavesAPair();
    void killedCompletionStillCompletes_data();
    void killedCompletionStillCompletes();
    void lowerScoreWaitsAndLoses();
    void racingSavesKeepTheBest();
    void refusingDisk_data();
    void refusingDisk();

private:
    QStringList save(const QString &score, const QString &name, const QString &shown) const
    {
        return {m_dir, "save", score, name, shown};
    }
    void checkPair(const QByteArray &points, const QByteArray &name)
    {
        const QString dir = FileRecordStore(m_dir).GetSystemDir();
        QCOMPARE(bytesOf(dir + kPointsFileName), points);
        QCOMPARE(bytesOf(dir + kNameFileName), name);
        QCOMPARE(leftovers(m_dir), QStringList());
    }

    std::optional<QTemporaryDir> m_tmp;
    QString m_dir;
};

void TestRecordCrash::init()
{
    m_tmp.emplace();
    QVERIFY(m_tmp->isValid());
    m_dir = m_tmp->path();
}

void TestRecordCrash::killedSaveLeavesAPair_data()
{
    QTest::addColumn<int>("step");
    QTest::newRow("not killed") << 0;
    for (int step = int(RecordStep::LockTaken); step <= int(RecordStep::MarkerRemoved); ++step)
        QTest::addRow("killed at step %d", step) << step;
}

void TestRecordCrash::killedSaveLeavesAPair()
{
    QFETCH(int, step);
    putPair(m_dir, kOldPoints, kOldName);
    const ChildResult child = run(save("12", u"Niccolò"_qs, "5") << QString("kill=%1").arg(step));
    QCOMPARE(child.killed, step != 0);
    if (step == 0)
        QCOMPARE(child.lines.value(0), "Saved");
    if (step != 0 && step < int(RecordStep::MarkerCreated))
        checkPair(kOldPoints, kOldName);
    else
        checkPair(kNewPoints, kNewName);
}

void TestRecordCrash::killedCompletionStillCompletes_data()
{
    QTest::addColumn<int>("saveStep");
    QTest::addColumn<int>("completionStep");
    for (const RecordStep saveStep : {RecordStep::MarkerCreated, RecordStep::PointsRenamed}) {
        for (int step = int(RecordStep::RecoveryPointsRenamed); step <= int(RecordStep::RecoveryMarkerRemoved);
             ++step)
            QTest::addRow("save %d, completion %d", int(saveStep), step) << int(saveStep) << step;
    }
}

void TestRecordCrash::killedCompletionStillCompletes()
{
    QFETCH(int, saveStep);
    QFETCH(int, completionStep);
    putPair(m_dir, kOldPoints, kOldName);
    QVERIFY(run(save("12", u"Niccolò"_qs, "5") << QString("kill=%1").arg(saveStep)).killed);
    run({m_dir, "start", QString("kill=%1").arg(completionStep)});
    checkPair(kNewPoints, kNewName);
}

// A higher record saved by another program while this one is still
// playing is never overwritten by this one's lower score.
void TestRecordCrash::lowerScoreWaitsAndLoses()
{
    putPair(m_dir, kOldPoints, kOldName);
    const QString ready = m_dir + "/pronto";
    const QString go = m_dir + "/via";
    QProcess first;
    start(first, save("20", "Alba", "5") << QString("hold=%1:%2:%3").arg(int(RecordStep::LockTaken)).arg(ready, go));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(ready), 10000);
    QProcess second;
    start(second, save("10", "Bruno", "5"));
    QVERIFY2(!second.waitForFinished(500), "the second save did not wait for the lock");
    putBytes(go, {});
    QCOMPARE(finish(first).lines.value(0), "Saved");
    QCOMPARE(finish(second).lines.value(0), "NotBeaten");
    QFile::remove(ready);
    QFile::remove(go);
    checkPair("20\r\n", "Alba\r\n");
}

void TestRecordCrash::racingSavesKeepTheBest()
{
    for (int round = 0; round < 3; ++round) {
        init();
        std::vector<std::unique_ptr<QProcess>> children;
        for (int score = 1; score <= 6; ++score) {
            children.push_back(std::make_unique<QProcess>());
            start(*children.back(), save(QString::number(score), QString("Giocatore%1").arg(score), "0"));
        }
        for (const auto &child : children)
            QCOMPARE(finish(*child).exitCode, 0);
        checkPair("6\r\n", "Giocatore6\r\n");
    }
}

void TestRecordCrash::refusingDisk_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("reason");
    QTest::newRow("full disk") << "disk=full" << "spazio su disco esaurito";
    QTest::newRow("read-only disk") << "disk=readonly" << "sola lettura";
    QTest::newRow("file size limit") << "fsize=2" << "limite di dimensione";
}

void TestRecordCrash::refusingDisk()
{
    QFETCH(QString, option);
    QFETCH(QString, reason);
    putPair(m_dir, kOldPoints, kOldName);
    const ChildResult child = run(save("12", "Amico", "5") << option);
    if (child.exitCode == 77)
        QSKIP("no private mount namespace here (needs CAP_SYS_ADMIN)");
    QCOMPARE(child.exitCode, 0);
    QCOMPARE(child.lines.value(0), "Failed");
    const QString said = child.lines.value(1);
    QVERIFY2(said.startsWith("impossibile scrivere nella cartella " + m_dir + ": ") && said.contains(reason),
             qPrintable(said));
    QCOMPARE(child.lines.value(2), kOldPoints.toHex());
    QCOMPARE(child.lines.value(3), kOldName.toHex());
}

QTEST_GUILESS_MAIN(TestRecordCrash)
#include "tst_recordcrash.moc"
