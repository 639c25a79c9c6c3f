// SPDX-License-Identifier: GPL-3.0-or-later
#include "countdown/countdown.h"

#include <QTest>

// The contest clock over a whole contest, one tick a second, as the window
// drives it: each tick is handed the label the previous one left.
class TestCountdown : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void course_data()
    {
        QTest::addColumn<int>("tick");
        QTest::addColumn<QString>("clock");
        QTest::newRow("1") << 1 << "00:06:59";
        QTest::newRow("60") << 60 << "00:06:00";
        QTest::newRow("61 borrows a minute") << 61 << "00:05:59";
        QTest::newRow("361") << 361 << "00:00:59";
        QTest::newRow("420") << 420 << "00:00:00";
        QTest::newRow("421 ends, label kept") << 421 << "00:00:00";
    }

    void course()
    {
        QFETCH(int, tick);
        QFETCH(QString, clock);
        int endedAt = 0;
        int i = 0;
        Countdown countdown([&] { endedAt = i; });
        countdown.ResetCountdown();
        QString shown = QStringLiteral("00.07.00");
        for (i = 1; i <= tick; ++i) {
            shown = countdown.Timer1_Timer(shown);
            QVERIFY2(!shown.contains(u'-'), qPrintable(shown));
        }
        QCOMPARE(shown, clock);
        // Only the tick after the one that shows "00:00:00" ends the contest.
        QCOMPARE(endedAt, tick == 421 ? 421 : 0);
    }
};

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
