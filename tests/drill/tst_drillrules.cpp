#include "drill/clockrandom.h"
#include "drill/drillrules.h"
#include "drill/int16.h"

#include <QTest>

#include <set>
#include <stdexcept>

class TestDrillRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void int16Overflows_data();
    void int16Overflows();
    void clockRandomDrawsEveryValueOnly();
    void reseedingWithinOneSecondStillVaries();
};

void TestDrillRules::int16Overflows_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<char>("op");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("overflows");
    QTest::newRow("32766+1") << 32766 << '+' << 1 << false;
    QTest::newRow("32767+1") << 32767 << '+' << 1 << true;
    QTest::newRow("16384+16384") << 16384 << '+' << 16384 << true;
    QTest::newRow("-32768-1") << -32768 << '-' << 1 << true;
    QTest::newRow("20*10") << 20 << '*' << 10 << false;
    QTest::newRow("200*200") << 200 << '*' << 200 << true;
}

void TestDrillRules::int16Overflows()
{
    QFETCH(int, a);
    QFETCH(char, op);
    QFETCH(int, b);
    QFETCH(bool, overflows);
    const auto compute = [&] {
        const Int16 x(a), y(b);
        return op == '+' ? x + y : op == '-' ? x - y : x * y;
    };
    if (overflows) {
        QVERIFY_THROWS_EXCEPTION(std::overflow_error, compute());
    } else {
        const int expected = op == '+' ? a + b : op == '-' ? a - b : a * b;
        QCOMPARE(compute().value(), expected);
    }
}

void TestDrillRules::clockRandomDrawsEveryValueOnly()
{
    ClockRandom random;
    std::set<int> seen;
    for (int i = 0; i < 5000; ++i) {
        random.Randomize();
        const int v = drawOneToTen(random).value();
        QVERIFY2(v >= 1 && v <= 10, qPrintable(QString::number(v)));
        seen.insert(v);
    }
    QCOMPARE(seen.size(), size_t(10));
}

void TestDrillRules::reseedingWithinOneSecondStillVaries()
{
    ClockRandom random;
    std::set<double> firsts;
    for (int i = 0; i < 100; ++i) {
        random.Randomize();
        firsts.insert(random.Rnd());
    }
    QCOMPARE(firsts.size(), size_t(100));
}

QTEST_GUILESS_MAIN(TestDrillRules)
#include "tst_drillrules.moc"
