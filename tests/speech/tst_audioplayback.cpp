#include "fakeclock.h"

#include "speech/audioplayback.h"

#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr int kRate = 10000;
QByteArray audioMs(int ms)
{
    return QByteArray(ms * kRate / 1000 * 2, char(0x10));
}
} // namespace

// Without a sound device the position runs on the clock, exactly as far as
// the audio handed in.
class TestAudioPlayback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void positionOnClock_data();
    void positionOnClock();
    void nextUtteranceStartsFromZero();
};

void TestAudioPlayback::positionOnClock_data()
{
    QTest::addColumn<bool>("useDevices");
    QTest::addColumn<QList<int>>("appendAt");   // ms of audio appended after each step
    QTest::addColumn<QList<int>>("stepMs");
    QTest::addColumn<QList<int>>("expected");   // position after each step

    QTest::newRow("clock only") << false << QList<int>{500, 0, 0, 0} << QList<int>{0, 200, 200, 200}
                                << QList<int>{0, 200, 400, 500};
    // Synthesis slower than playback: the position waits for the audio.
    QTest::newRow("audio arrives late") << false << QList<int>{100, 0, 300, 0} << QList<int>{0, 250, 0, 250}
                                        << QList<int>{0, 100, 250, 400};
    QTest::newRow("no default device present") << true << QList<int>{500, 0, 0} << QList<int>{0, 300, 300}
                                               << QList<int>{0, 300, 500};
}

void TestAudioPlayback::positionOnClock()
{
    QFETCH(bool, useDevices);
    QFETCH(QList<int>, appendAt);
    QFETCH(QList<int>, stepMs);
    QFETCH(QList<int>, expected);
    if (useDevices && !QMediaDevices::defaultAudioOutput().isNull())
        QSKIP("a sound device is present: its position is the device's");

    FakeClock clock;
    AudioPlayback playback(clock, useDevices);
    QSignalSpy first(&playback, &AudioPlayback::firstBufferPlayed);
    playback.begin(kRate);
    QCOMPARE(playback.positionMs(), 0);
    for (int i = 0; i < appendAt.size(); ++i) {
        clock.advance(stepMs.at(i));
        if (appendAt.at(i) > 0)
            playback.append(audioMs(appendAt.at(i)));
        QCOMPARE(playback.positionMs(), expected.at(i));
    }
    QCOMPARE(first.count(), 1);
    QVERIFY(!playback.audible());
    playback.end();
}

void TestAudioPlayback::nextUtteranceStartsFromZero()
{
    FakeClock clock;
    AudioPlayback playback(clock, false);
    playback.begin(kRate);
    playback.append(audioMs(300));
    clock.advance(300);
    QCOMPARE(playback.positionMs(), 300);
    playback.end();

    clock.advance(1000);
    playback.begin(kRate);
    QCOMPARE(playback.positionMs(), 0);
    QCOMPARE(playback.appendedMs(), 0);
    playback.append(audioMs(200));
    clock.advance(50);
    QCOMPARE(playback.positionMs(), 50);
}

QTEST_GUILESS_MAIN(TestAudioPlayback)
#include "tst_audioplayback.moc"
