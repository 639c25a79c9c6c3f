// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/clockrandom.h"
#include "drill/drillrules.h"
#include "drill/int16.h"

#include <QTest>

#include <set>
#include <stdexcept>

// What the window tests do not reach: overflow in every operation, and the
// real generator (they script theirs).
class TestDrillRules : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void int16RefusesToWrap();
    void clockRandomDrawsOneToTen();
};

void TestDrillRules::int16RefusesToWrap()
{
    QCOMPARE((Int16(32766) + Int16(1)).value(), 32767);
    QCOMPARE((Int16(-32767) - Int16(1)).value(), -32768);
    QCOMPARE((Int16(20) * Int16(10)).value(), 200);
    QVERIFY_THROWS_EXCEPTION(std::overflow_error, Int16(32767) + Int16(1));
    QVERIFY_THROWS_EXCEPTION(std::overflow_error, Int16(-32768) - Int16(1));
    QVERIFY_THROWS_EXCEPTION(std::overflow_error, Int16(200) * Int16(200));
}

// Reseeded before every draw, as the window does, many times in one second.
void TestDrillRules::clockRandomDrawsOneToTen()
{
    ClockRandom random;
    std::set<double> firsts;
    std::set<int> drawn;
    for (int i = 0; i < 2000; ++i) {
        random.Randomize();
        firsts.insert(random.Rnd());
        const int v = drawOneToTen(random).value();
        QVERIFY2(v >= 1 && v <= 10, qPrintable(QString::number(v)));
        drawn.insert(v);
    }
    QCOMPARE(firsts.size(), size_t(2000));
    QCOMPARE(drawn.size(), size_t(10));
}

QTEST_GUILESS_MAIN(TestDrillRules)
#include "tst_drillrules.moc"
