// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/clockrandom.h"
#include "drill/drill.h"
#include "recordingagent.h"
#include "scriptedrandom.h"

#include <QTest>

using Focus = DrillControls::Focus;

namespace {

// A drill as start-up leaves it: counters at "0", the child called Zoe.
struct Game {
    RecordingAgent agent;
    ScriptedRandom random;
    Drill drill{agent, random, {}};
    DrillControls &c = drill.controls();

    Game()
    {
        c.lblScore = c.lblScore1 = c.lblScore2 = QStringLiteral("0");
        c.Txtnome1 = QStringLiteral("Zoe");
    }
    void ask(int shade, int factor)
    {
        random.numbers = ScriptedRandom::drawing(shade, factor);
        drill.cmdNext_Click();
    }
    void answer(const QString &typed)
    {
        c.Text3 = typed;
        drill.Command3_Click();
    }
    QString counters() const { return c.lblScore + u'/' + c.lblScore1 + u'/' + c.lblScore2; }
};

const QStringList kStepForward{"Character Merlin", "Show", "MoveTo 250 175"};

} // namespace

// The drill without a window: what each handler leaves on the controls and
// what Merlin is asked to do.
class TestDrill : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void newQuestion()
    {
        Game g;
        g.c.factorsVisible = true;
        g.c.lblMessage = QStringLiteral("Sbagliato!! 9");
        g.c.Text3 = QStringLiteral("9");
        g.ask(10, 10);
        const QStringList asked{"Play Greet", "Height 205", "Speak 3", "Speak per", "Speak dieci"};
        QCOMPARE(g.agent.calls, kStepForward + asked);
        QCOMPARE(g.c.Text1 + g.c.lblNum1 + u'/' + g.c.lblNum2 + u'/' + g.c.Text7 + u'/' + g.c.Text6,
                 QStringLiteral("33/10/30/dieci"));
        QVERIFY(!g.c.factorsVisible && g.c.lblMessage.isEmpty() && g.c.Text3.isEmpty());
        QCOMPARE(g.c.focus, Focus::Text3);
        QCOMPARE(g.c.gradient, (DrillControls::Tint{60, 200}));
        // A new question answers nothing.
        QCOMPARE(g.counters(), QStringLiteral("0/0/0"));
    }

    // The real generator, reseeded at every question.
    void drawsEveryShadeAndFactor()
    {
        RecordingAgent agent;
        ClockRandom random;
        Drill drill(agent, random, {});
        QSet<int> shades, factors;
        for (int i = 0; i < 2000; ++i) {
            drill.cmdNext_Click();
            shades << drill.controls().gradient->green / 20;
            factors << drill.controls().lblNum2.toInt();
        }
        const QSet<int> oneToTen{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QCOMPARE(shades, oneToTen);
        QCOMPARE(factors, oneToTen);
    }

    void praiseLadder_data()
    {
        QTest::addColumn<int>("p");
        QTest::addColumn<QStringList>("spoken");
        // The whole sequence of a right answer by p, row by row; "name" is
        // the child's, "product" the question's, "a + b" plays a, speaks b.
        const QList<std::pair<QList<int>, QStringList>> table{
            {{0, 1, 4, 6, 8, 9}, {"Esatto", "product"}},
            {{2}, {"Esatto", "product", "congratulate + Sei grande"}},
            {{3, 7}, {"Esatto", "name", "product"}},
            {{5}, {"Esatto", "product", "domagic1 + Sei forte"}},
            {{10}, {"product", "congratulate + Sei sulla buona strada per diventare cavaliere"}},
            {{11, 15, 16, 17, 19, 20, 22, 24, 25, 28, 29, 30}, {"Giusto", "product"}},
            {{12, 21, 26}, {"Giusto", "name", "product"}},
            {{13}, {"Giusto", "product", "domagic2 + Sei in gamba"}},
            {{14}, {"Giusto", "product", "congratulate + Sei eccezionale"}},
            {{18}, {"Giusto", "product", "congratulate + Sei insuperabile"}},
            {{23},
             {"Giusto", "product",
              "congratulate + Ti nomino cavaliere della tabellina, il massimo ordine per un eroe"}},
            {{27}, {"Giusto", "product", "congratulate + Hai lavorato bene mio leale campione: sei invincibile"}},
        };
        for (const auto &[ps, sequence] : table) {
            QStringList calls;
            for (const QString &step : sequence) {
                if (step.contains(QLatin1String(" + ")))
                    calls << "Play " + step.section(" + ", 0, 0) << "Speak " + step.section(" + ", 1);
                else
                    calls << "Speak " + (step == "name" ? "Zoe" : step == "product" ? "21" : step);
            }
            for (int p : ps)
                QTest::addRow("p=%d", p) << p << calls;
        }
    }

    void praiseLadder()
    {
        QFETCH(int, p);
        QFETCH(QStringList, spoken);
        Game g;
        for (int i = 0; i < p; ++i) {
            g.ask(2, 7);
            g.answer(QStringLiteral("21"));
            // Wrong answers in between leave the ladder where it is.
            g.answer(QStringLiteral("20"));
        }
        g.ask(2, 7);
        g.agent.calls.clear();
        g.answer(QStringLiteral("21"));
        QCOMPARE(g.agent.calls, kStepForward + QStringList{"Height 205"} + spoken);
        QCOMPARE(g.counters(), QStringLiteral("%1/%2/%3").arg(p + 1).arg(p).arg(2 * p + 1));
        QCOMPARE(g.c.lblMessage, QStringLiteral("Esatto. Sei forte!!!"));
        QCOMPARE(g.c.lblMessageColor, DrillControls::kBlue);
        QVERIFY(g.c.cmdNextEnabled && g.c.focus == Focus::cmdNext && !g.c.factorsVisible);
    }

    // Only the product's own digits are right: no blank, no leading zero.
    void wrongAnswers()
    {
        for (const char *typed : {" 21", "21 ", "021", ""}) {
            Game g;
            g.ask(3, 7);
            g.agent.calls.clear();
            g.answer(QString::fromLatin1(typed));
            QCOMPARE(g.c.lblMessage, QStringLiteral("Sbagliato!! 21"));
            QCOMPARE(g.agent.calls, kStepForward + QStringList({"Play Greet", "Height 205", "Speak Sbagliato", "Speak 21"}));
            QVERIFY2(g.c.lblMessageColor == DrillControls::kRed && g.counters() == "0/1/1" && g.c.cmdNextEnabled
                         && g.c.focus == Focus::cmdNext,
                     typed);
        }
    }
};

QTEST_GUILESS_MAIN(TestDrill)
#include "tst_drill.moc"
