#include "countdown/countdown.h"

#include <QTest>

class TestCountdown : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void courseOfAContest_data();
    void courseOfAContest();
    void neverNegative();
};

void TestCountdown::courseOfAContest_data()
{
    QTest::addColumn<int>("tick");
    QTest::addColumn<QString>("clock");
    QTest::newRow("1") << 1 << "00:06:59";
    QTest::newRow("59") << 59 << "00:06:01";
    QTest::newRow("60") << 60 << "00:06:00";
    QTest::newRow("61 borrows a minute") << 61 << "00:05:59";
    QTest::newRow("360") << 360 << "00:01:00";
    QTest::newRow("361") << 361 << "00:00:59";
    QTest::newRow("419") << 419 << "00:00:01";
    QTest::newRow("420") << 420 << "00:00:00";
}

void TestCountdown::courseOfAContest()
{
    QFETCH(int, tick);
    QFETCH(QString, clock);
    Countdown countdown;
    countdown.ResetCountdown();
    QString shown;
    for (int i = 0; i < tick; ++i) {
        shown = countdown.takeOneSecond();
        QVERIFY2(i + 1 == 420 || shown != Countdown::endCaption(), qPrintable(shown));
    }
    QCOMPARE(shown, clock);
    QCOMPARE(countdown.secondsLeft(), float(int(countdown.secondsLeft())));
}

void TestCountdown::neverNegative()
{
    Countdown countdown;
    countdown.ResetCountdown();
    for (int i = 0; i < 500; ++i) {
        const QString shown = countdown.takeOneSecond();
        QVERIFY2(!shown.contains(u'-'), qPrintable(shown));
    }
    QCOMPARE(countdown.takeOneSecond(), Countdown::endCaption());
}

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
