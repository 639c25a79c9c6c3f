// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include "app/surface.h"

#include <QApplication>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <unistd.h>

// Judging answers: verdicts, counters and Merlin's praise ladder.
class TestAnswerCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void praiseLadder_data()
    {
        QTest::addColumn<int>("p");
        QTest::addColumn<QStringList>("spoken");
        // After "Show, MoveTo, Height", for the (p+1)-th right answer to 3 x 7
        // with "Zoe" as the child's name: a word, maybe the name, the product
        // and maybe a praise with its animation.
        const QMap<int, QStringList> praises{
            {2, {"congratulate", "Sei grande"}},
            {5, {"domagic1", "Sei forte"}},
            {10, {"congratulate", "Sei sulla buona strada per diventare cavaliere"}},
            {13, {"domagic2", "Sei in gamba"}},
            {14, {"congratulate", "Sei eccezionale"}},
            {18, {"congratulate", "Sei insuperabile"}},
            {23, {"congratulate", "Ti nomino cavaliere della tabellina, il massimo ordine per un eroe"}},
            {27, {"congratulate", "Hai lavorato bene mio leale campione: sei invincibile"}},
        };
        for (int p = 0; p <= 30; ++p) {
            QStringList spoken;
            if (p != 10)
                spoken << (p < 10 ? "Speak Esatto" : "Speak Giusto");
            if (QList<int>{3, 7, 12, 21, 26}.contains(p))
                spoken << "Speak Zoe";
            spoken << "Speak 21";
            if (praises.contains(p))
                spoken << "Play " + praises[p][0] << "Speak " + praises[p][1];
            QTest::addRow("p=%d", p) << p << spoken;
        }
    }

    void praiseLadder()
    {
        QFETCH(int, p);
        QFETCH(QStringList, spoken);
        Fixture f;
        f.box("Txtnome1")->setText(QStringLiteral("Zoe"));
        for (int i = 0; i < p; ++i) {
            f.ask(2, 7);
            f.answerRight();
            // Wrong answers in between leave the ladder where it is.
            f.ask(2, 7);
            f.answer(QStringLiteral("20"));
        }
        f.ask(2, 7);
        f.agent.calls.clear();
        f.answerRight();
        QCOMPARE(f.agent.calls, QStringList({"Character Merlin", "Show", "MoveTo 250 175", "Height 205"}) + spoken);
        QCOMPARE(f.caption("lblScore"), QString::number(p + 1));
        QCOMPARE(f.caption("lblMessage"), QStringLiteral("Esatto. Sei forte!!!"));
        QCOMPARE(f.label("lblMessage")->foreColor(), QColor(0, 0, 255));
    }

    void wrongAnswers_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("leading blank") << " 21";
        QTest::newRow("trailing blank") << "21 ";
        QTest::newRow("leading zero") << "021";
        QTest::newRow("empty") << "";
        QTest::newRow("words") << "ventuno";
    }

    void wrongAnswers()
    {
        QFETCH(QString, typed);
        Fixture f;
        f.ask(3, 7);
        f.agent.calls.clear();
        f.answer(typed);
        QCOMPARE(f.caption("lblMessage"), QStringLiteral("Sbagliato!! 21"));
        QCOMPARE(f.label("lblMessage")->foreColor(), QColor(255, 0, 0));
        QCOMPARE(f.agent.calls, QStringList({"Character Merlin", "Show", "MoveTo 250 175", "Play Greet", "Height 205",
                                             "Speak Sbagliato", "Speak 21"}));
        QCOMPARE(f.caption("lblScore") + f.caption("lblScore1") + f.caption("lblScore2"), QStringLiteral("011"));
        QVERIFY(f.button("cmdNext")->isEnabled());
        QCOMPARE(f.tavola.focusWidget(), f.button("cmdNext"));
    }

    void countersAndRejudging()
    {
        Fixture f;
        f.ask(1, 2);
        f.answerRight();
        f.answer(QStringLiteral("5"));
        f.ask(1, 3);
        f.answer(QStringLiteral("8"));
        f.answer(QStringLiteral("8"));
        // The same right answer judged again counts again.
        f.answerRight();
        QCOMPARE(f.caption("lblScore"), QStringLiteral("2"));
        QCOMPARE(f.caption("lblScore1"), QStringLiteral("3"));
        QCOMPARE(f.caption("lblScore2"), QStringLiteral("5"));
    }

    void counterOverflowIsReported()
    {
        Fixture f;
        f.ask(1, 1);
        f.box("Text3")->setText(QStringLiteral("3"));
        auto *check = f.tavola.findChild<QPushButton *>(QStringLiteral("Command3"));
        for (int i = 0; i < 32767; ++i)
            check->click();
        QCOMPARE(f.caption("lblScore"), QStringLiteral("32767"));
        QVERIFY(f.dialogs.calls.isEmpty());

        // The error goes to stderr as well as into a box; catch stderr in a file.
        QTemporaryFile err;
        QVERIFY(err.open());
        std::fflush(stderr);
        const int savedStderr = ::dup(2);
        ::dup2(err.handle(), 2);
        check->click();
        std::fflush(stderr);
        ::dup2(savedStderr, 2);
        ::close(savedStderr);
        QVERIFY(err.seek(0));
        QCOMPARE(err.readAll(), QByteArray("zorvali: errore di esecuzione in Command3_Click: Overflow\n"));
        QCOMPARE(f.dialogs.calls, QStringList{"MsgBox Errore di esecuzione in Command3_Click:\nOverflow"});
        QCOMPARE(f.caption("lblScore"), QStringLiteral("32767"));
        QCOMPARE(f.tavola.rightAnswers().value(), 32767);

        // The game goes on: a wrong answer still counts, then the total overflows.
        f.box("Text3")->setText(QStringLiteral("x"));
        check->click();
        QCOMPARE(f.caption("lblScore1"), QStringLiteral("1"));
        QCOMPARE(f.caption("lblScore2"), QStringLiteral("32767"));
        QCOMPARE(f.dialogs.calls.size(), 2);
        QCOMPARE(f.ends, 0);
    }

    void tenQuestionsByKeyboard()
    {
        // What a screen reader says as the focus moves: the question with the
        // answer box, the verdict with "Nuovo calcolo".
        QStringList spoken;
        connect(qApp, &QApplication::focusChanged, this,
                [&spoken](QWidget *, QWidget *now) { spoken << (now ? now->accessibleDescription() : QString()); });
        QStringList expected;
        Fixture f;
        f.random.numbers.clear();
        for (int factor = 1; factor <= 10; ++factor)
            f.random.numbers << ScriptedRandom::drawing(factor, factor);
        // The first showing asks the first question.
        f.tavola.show();
        QVERIFY(QTest::qWaitForWindowActive(&f.tavola));
        QTRY_COMPARE(f.caption("lblNum2"), QStringLiteral("1"));
        for (int factor = 1; factor <= 10; ++factor) {
            QWidget *answerBox = f.tavola.focusWidget();
            QCOMPARE(answerBox, f.box("Text3"));
            QVERIFY(f.tavola.surface()->hasDrawing());
            const QString typed = factor % 3 == 0 ? QStringLiteral("99") : QString::number(3 * factor);
            QTest::keyClick(answerBox, typed.at(0).toLatin1());
            QVERIFY(!f.tavola.surface()->hasDrawing());
            QVERIFY(f.label("lblNum2")->isVisible());
            QTest::keyClicks(answerBox, typed.mid(1));
            QTest::keyClick(answerBox, factor % 2 ? Qt::Key_Return : Qt::Key_Enter);
            QCOMPARE(f.tavola.focusWidget(), f.button("cmdNext"));
            expected << "3 per " + f.box("Text6")->text() << f.caption("lblMessage");
            // The second Enter asks the next question.
            QTest::keyClick(f.tavola.focusWidget(), Qt::Key_Return);
            QCOMPARE(f.caption("lblNum2"), QString::number(factor % 10 + 1));
        }
        QCOMPARE(f.caption("lblScore"), QStringLiteral("7"));
        QCOMPARE(f.caption("lblScore1"), QStringLiteral("3"));
        QCOMPARE(f.caption("lblScore2"), QStringLiteral("10"));
        spoken.removeAll(QString());
        QCOMPARE(spoken.mid(0, expected.size()), expected);
    }
};

QTEST_MAIN(TestAnswerCheck)
#include "tst_answercheck.moc"
