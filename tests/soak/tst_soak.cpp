#include "app/tavola.h"
#include "app/vblabel.h"
#include "drill/clockrandom.h"
#include "record/filerecordstore.h"
#include "recordingdialogs.h"
#include "speech/clock.h"
#include "speech/merlinagent.h"
#include "speech/merlinwindow.h"
#include "speech/performer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <unistd.h>

// Thousands of questions in one process through the real window, the real
// character (voice included, no sound device) and real record files: memory
// and file descriptors must stay flat and the character must catch up.
namespace {

constexpr int kQuestions = 5000;
constexpr int kWarmUp = 500;
constexpr long kMaxGrowthKb = 2 * 1024;
// Coarse enough to be quick, fine enough that glides and animations still
// draw frames in between.
constexpr qint64 kStepMs = 250;

// Steps only when told, so the character's minutes of talking pass at once.
class SteppedClock final : public Clock {
public:
    qint64 nowMs() const override { return m_now; }
    void advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 1000;
};

long residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (::sysconf(_SC_PAGESIZE) / 1024) : -1;
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size());
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void thousandsOfQuestions();
};

void TestSoak::thousandsOfQuestions()
{
    QTemporaryDir data;
    QVERIFY(data.isValid());
    QFile points(data.filePath(kPointsFileName));
    QFile name(data.filePath(kNameFileName));
    QVERIFY(points.open(QIODevice::WriteOnly) && points.write("10\r\n") == 4);
    QVERIFY(name.open(QIODevice::WriteOnly) && name.write("Lia\r\n") == 5);
    points.close();
    name.close();

    SteppedClock clock;
    MerlinAgent agent(MerlinAgent::Parts{nullptr, &clock, nullptr, false});
    FileRecordStore records(data.path());
    RecordingDialogs dialogs;
    dialogs.name = QStringLiteral("Soak");
    ClockRandom random;
    int ends = 0;
    Tavola tavola(TavolaServices{agent, records, dialogs, random, [&ends] { ++ends; }});

    tavola.Form_Load();
    tavola.show();
    QVERIFY(QTest::qWaitForWindowActive(&tavola));
    // The offscreen platform activates every window it shows, flags or not,
    // so Merlin's would take the keyboard; a window manager does not do that
    // (tests/speech/tst_merlinfocus checks it on one).
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, &tavola, [&](QWindow *focused) {
        if (focused && agent.window() && focused == agent.window()->windowHandle())
            tavola.activateWindow();
    });
    auto *timer = tavola.findChild<QTimer *>(QStringLiteral("Timer1"));
    auto *answerBox = tavola.findChild<QLineEdit *>(QStringLiteral("Text3"));
    auto *product = tavola.findChild<QLineEdit *>(QStringLiteral("Text7"));
    auto *message = tavola.findChild<VbLabel *>(QStringLiteral("lblMessage"));
    auto *next = tavola.findChild<QWidget *>(QStringLiteral("cmdNext"));
    QVERIFY(timer && answerBox && product && message && next);
    // The contest's seven minutes would end the run; this is about volume.
    timer->stop();
    QTRY_VERIFY(answerBox->hasFocus());
    QCOMPARE(tavola.findChild<VbLabel *>(QStringLiteral("lblpunti"))->caption(), QStringLiteral("10\r\n"));

    // The child waits for Merlin to finish before going on.
    const auto drain = [&] {
        QElapsedTimer patience;
        patience.start();
        while (!agent.performer().idle()) {
            if (patience.elapsed() > 20000)
                return false;
            clock.advance(kStepMs);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            // Its own timer would tick only every frame of real time.
            agent.performer().tick();
        }
        return true;
    };
    QVERIFY(drain());

    long warmKb = 0;
    int warmFds = 0;
    int right = 0;
    int wrong = 0;
    for (int i = 1; i <= kQuestions; ++i) {
        QVERIFY2(answerBox->hasFocus(), qPrintable(QStringLiteral("focus lost before question %1").arg(i)));
        const bool answerWrong = i % 7 == 0;
        const QString typed = answerWrong ? product->text() + u'0' : product->text();
        QTest::keyClicks(answerBox, typed);
        QTest::keyClick(answerBox, Qt::Key_Return);
        const QString verdict = message->caption();
        if (answerWrong) {
            QVERIFY2(verdict.startsWith(QStringLiteral("Sbagliato")), qPrintable(verdict));
            ++wrong;
        } else {
            QVERIFY2(verdict.startsWith(QStringLiteral("Esatto")), qPrintable(verdict));
            ++right;
        }
        QVERIFY2(drain(), qPrintable(QStringLiteral("Merlin stuck after answer %1").arg(i)));
        QCOMPARE(QApplication::focusWidget(), next);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QVERIFY2(drain(), qPrintable(QStringLiteral("Merlin stuck after question %1").arg(i)));
        if (i == kWarmUp) {
            warmKb = residentKb();
            warmFds = openDescriptors();
            QVERIFY(warmKb > 0 && warmFds > 0);
        }
    }
    QCOMPARE(int(tavola.rightAnswers().value()), right);
    QCOMPARE(int(tavola.wrongAnswers().value()), wrong);
    QVERIFY(dialogs.calls.filter(QStringLiteral("Errore")).isEmpty());

    const long endKb = residentKb();
    const int endFds = openDescriptors();
    qInfo("resident memory after %d questions %ld kB, after %d %ld kB (growth %ld kB); descriptors %d then %d",
          kWarmUp, warmKb, kQuestions, endKb, endKb - warmKb, warmFds, endFds);
    QVERIFY2(endKb - warmKb < kMaxGrowthKb, qPrintable(QStringLiteral("grew by %1 kB").arg(endKb - warmKb)));
    QCOMPARE(endFds, warmFds);
    QCOMPARE(agent.performer().pending(), 0);

    tavola.cmdExit1_Click();
    QCOMPARE(ends, 1);
    QVERIFY(points.open(QIODevice::ReadOnly));
    QCOMPARE(points.readAll(), QByteArray::number(right) + "\r\n");
    QVERIFY(name.open(QIODevice::ReadOnly));
    QCOMPARE(name.readAll(), QByteArray("Soak\r\n"));
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
