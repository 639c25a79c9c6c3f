#include "speech/choreography.h"

#include <QTest>

// Each animation is a move of its own that starts and ends at rest.
class TestChoreography : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void names_data();
    void names();
    void movesAndSettles_data();
    void movesAndSettles();
    void animationsDiffer();
};

void TestChoreography::names_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("Announce") << "Announce" << "Announce";
    QTest::newRow("Greet") << "Greet" << "Greet";
    QTest::newRow("congratulate") << "congratulate" << "congratulate";
    QTest::newRow("domagic1") << "domagic1" << "domagic1";
    QTest::newRow("domagic2") << "domagic2" << "domagic2";
    QTest::newRow("case ignored") << "GREET" << "Greet";
    QTest::newRow("unknown") << "Dance" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("near miss") << "domagic3" << "";
}

void TestChoreography::names()
{
    QFETCH(QString, asked);
    QFETCH(QString, canonical);
    QCOMPARE(Choreography::canonicalName(asked).value_or(QString()), canonical);
}

void TestChoreography::movesAndSettles_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : Choreography::names())
        QTest::newRow(qPrintable(name)) << name;
}

static qreal distanceFromRest(const Pose &p)
{
    return qAbs(p.bodyDy) + qAbs(p.headDeg) + qAbs(p.hatDy) + qAbs(p.hatDeg) + qAbs(p.leftArmDeg)
        + qAbs(p.rightArmDeg) + 50 * (p.sparkle + p.burst);
}

void TestChoreography::movesAndSettles()
{
    QFETCH(QString, name);
    const qint64 ms = Choreography::durationMs(name);
    QVERIFY(ms >= 1000 && ms <= 3000);
    qreal most = 0;
    for (int i = 1; i < 20; ++i)
        most = std::max(most, distanceFromRest(Choreography::pose(name, i / 20.0, 1000)));
    QVERIFY2(most > 40, qPrintable(QString::number(most)));
    QVERIFY(distanceFromRest(Choreography::pose(name, 0, 1000)) < 2);
    QVERIFY(distanceFromRest(Choreography::pose(name, 1, 1000)) < 2);
}

void TestChoreography::animationsDiffer()
{
    const QStringList names = Choreography::names();
    for (int a = 0; a < names.size(); ++a) {
        for (int b = a + 1; b < names.size(); ++b) {
            qreal apart = 0;
            for (int i = 1; i < 10; ++i) {
                const Pose pa = Choreography::pose(names[a], i / 10.0, 0);
                const Pose pb = Choreography::pose(names[b], i / 10.0, 0);
                apart += qAbs(pa.rightArmDeg - pb.rightArmDeg) + qAbs(pa.leftArmDeg - pb.leftArmDeg)
                    + qAbs(pa.bodyDy - pb.bodyDy) + 50 * qAbs(pa.burst - pb.burst) + qAbs(pa.hatDy - pb.hatDy);
            }
            QVERIFY2(apart > 100, qPrintable(names[a] + " ~ " + names[b]));
        }
    }
}

QTEST_GUILESS_MAIN(TestChoreography)
#include "tst_choreography.moc"
