// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakeclock.h"

#include "speech/audioplayback.h"

#include <QMediaDevices>
#include <QSignalSpy>
#include <QTest>

// Without a sound device the position runs on the clock, exactly as far as
// the audio handed in.
class TestAudioPlayback : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void positionOnClock_data()
    {
        QTest::addColumn<bool>("useDevices");
        QTest::addColumn<QList<int>>("appendMs"); // audio appended after each step
        QTest::addColumn<QList<int>>("stepMs");
        QTest::addColumn<QList<int>>("expected"); // position after each step
        // Synthesis slower than playback: the position waits for the audio.
        QTest::newRow("audio arrives late") << false << QList{100, 0, 300, 0} << QList{0, 250, 0, 250}
                                            << QList{0, 100, 250, 400};
        QTest::newRow("no default device: on the clock") << true << QList{500, 0, 0} << QList{0, 300, 300} << QList{0, 300, 500};
    }
    void positionOnClock()
    {
        QFETCH(bool, useDevices);
        QFETCH(QList<int>, appendMs);
        QFETCH(QList<int>, stepMs);
        QFETCH(QList<int>, expected);
        if (useDevices && !QMediaDevices::defaultAudioOutput().isNull())
            QSKIP("a sound device is present: its position is the device's");
        constexpr int kRate = 10000;
        FakeClock clock;
        AudioPlayback playback(clock, useDevices);
        QSignalSpy first(&playback, &AudioPlayback::firstBufferPlayed);
        // The second utterance must start from zero, whatever came before.
        for (int utterance = 0; utterance < 2; ++utterance) {
            playback.begin(kRate);
            QCOMPARE(playback.positionMs(), 0);
            for (int i = 0; i < appendMs.size(); ++i) {
                clock.now += stepMs.at(i);
                playback.append(QByteArray(appendMs.at(i) * kRate / 1000 * 2, char(0x10)));
                QCOMPARE(playback.positionMs(), expected.at(i));
            }
            QVERIFY(!playback.audible());
            playback.end();
            clock.now += 1000;
        }
        QCOMPARE(first.count(), 2);
    }
};

QTEST_GUILESS_MAIN(TestAudioPlayback)
#include "tst_audioplayback.moc"
