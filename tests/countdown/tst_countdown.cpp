// SPDX-License-Identifier: GPL-3.0-or-later
#include "countdown/countdown.h"

#include <QTest>

// The contest clock over a whole contest, one tick a second.
class TestCountdown : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void course_data();
    void course();
};

void TestCountdown::course_data()
{
    QTest::addColumn<int>("tick");
    QTest::addColumn<QString>("clock");
    QTest::newRow("1") << 1 << "00:06:59";
    QTest::newRow("60") << 60 << "00:06:00";
    QTest::newRow("61 borrows a minute") << 61 << "00:05:59";
    QTest::newRow("361") << 361 << "00:00:59";
    QTest::newRow("419") << 419 << "00:00:01";
    QTest::newRow("420") << 420 << "00:00:00";
    QTest::newRow("500 stays at zero") << 500 << "00:00:00";
}

void TestCountdown::course()
{
    QFETCH(int, tick);
    QFETCH(QString, clock);
    Countdown countdown;
    countdown.ResetCountdown();
    QString shown;
    for (int i = 1; i <= tick; ++i) {
        shown = countdown.takeOneSecond();
        // The window ends the contest on the tick that finds the end caption
        // (the 421st), so it must first appear at tick 420.
        QVERIFY2(!shown.contains(u'-') && (shown == Countdown::endCaption()) == (i >= 420), qPrintable(shown));
    }
    QCOMPARE(shown, clock);
}

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
