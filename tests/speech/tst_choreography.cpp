// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/choreography.h"

#include <QTest>

namespace {
qreal distanceFromRest(const Pose &p)
{
    return qAbs(p.bodyDy) + qAbs(p.headDeg) + qAbs(p.hatDy) + qAbs(p.hatDeg) + qAbs(p.leftArmDeg)
        + qAbs(p.rightArmDeg) + 50 * (p.sparkle + p.burst);
}
} // namespace

// Each animation is a move of its own that starts and ends at rest.
class TestChoreography : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void movesAndSettles_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"Announce", "Greet", "congratulate", "domagic1", "domagic2"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void movesAndSettles()
    {
        QFETCH(QString, name);
        QCOMPARE(Choreography::canonicalName(name.toUpper()), name); // any case the game spells
        QVERIFY(distanceFromRest(Choreography::pose(name, 0, 1000)) < 2);
        QVERIFY(distanceFromRest(Choreography::pose(name, 1, 1000)) < 2);
        qreal most = 0;
        for (int i = 1; i < 10; ++i)
            most = std::max(most, distanceFromRest(Choreography::pose(name, i / 10.0, 1000)));
        QVERIFY2(most > 40, qPrintable(QString::number(most)));
        for (const QString &other : Choreography::names()) {
            qreal apart = 0;
            for (int i = 1; i < 10; ++i) {
                const Pose a = Choreography::pose(name, i / 10.0, 1000);
                const Pose b = Choreography::pose(other, i / 10.0, 1000);
                apart += qAbs(a.rightArmDeg - b.rightArmDeg) + qAbs(a.leftArmDeg - b.leftArmDeg)
                    + qAbs(a.bodyDy - b.bodyDy) + 50 * qAbs(a.burst - b.burst) + qAbs(a.hatDy - b.hatDy);
            }
            QVERIFY2(other == name || apart > 100, qPrintable(other));
        }
    }
};

QTEST_GUILESS_MAIN(TestChoreography)
#include "tst_choreography.moc"
