#include "fixture.h"

#include "app/surface.h"

#include <QAccessible>
#include <QPushButton>
#include <QTest>

// Judging answers: verdicts, counters and Merlin's praise ladder.
class TestAnswerCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void praiseLadder_data();
    void praiseLadder();
    void wrongAnswers_data();
    void wrongAnswers();
    void countersAndRejudging();
    void counterOverflowIsReported();
    void tenQuestionsByKeyboard();
    void screenReadersHearQuestionAndVerdict();
};

void TestAnswerCheck::praiseLadder_data()
{
    QTest::addColumn<int>("p");
    QTest::addColumn<QStringList>("spoken");
    // What follows "Character Merlin, Show, MoveTo 250 175, Height 205" for
    // the (p+1)-th right answer; "N" is the child's name, "21" the product.
    const QStringList esatto{"Speak Esatto", "Speak 21"};
    const QStringList giusto{"Speak Giusto", "Speak 21"};
    const QStringList esattoName{"Speak Esatto", "Speak Zoe", "Speak 21"};
    const QStringList giustoName{"Speak Giusto", "Speak Zoe", "Speak 21"};
    const auto praise = [](const QStringList &head, const char *animation, const char *text) {
        return head + QStringList{QStringLiteral("Play ") + QLatin1String(animation), QStringLiteral("Speak ") + QLatin1String(text)};
    };
    const QList<QStringList> expected{
        esatto,                                    // 0
        esatto,                                    // 1
        praise(esatto, "congratulate", "Sei grande"),
        esattoName,                                // 3
        esatto,                                    // 4
        praise(esatto, "domagic1", "Sei forte"),   // 5
        esatto,                                    // 6
        esattoName,                                // 7
        esatto,                                    // 8
        esatto,                                    // 9
        praise({"Speak 21"}, "congratulate", "Sei sulla buona strada per diventare cavaliere"),
        giusto,                                    // 11
        giustoName,                                // 12
        praise(giusto, "domagic2", "Sei in gamba"),
        praise(giusto, "congratulate", "Sei eccezionale"),
        giusto, giusto, giusto,                    // 15..17
        praise(giusto, "congratulate", "Sei insuperabile"),
        giusto, giusto,                            // 19, 20
        giustoName,                                // 21
        giusto,                                    // 22
        praise(giusto, "congratulate", "Ti nomino cavaliere della tabellina, il massimo ordine per un eroe"),
        giusto, giusto,                            // 24, 25
        giustoName,                                // 26
        praise(giusto, "congratulate", "Hai lavorato bene mio leale campione: sei invincibile"),
        giusto, giusto, giusto,                    // 28..30
    };
    for (int p = 0; p < expected.size(); ++p)
        QTest::addRow("p=%d", p) << p << expected[p];
}

void TestAnswerCheck::praiseLadder()
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

void TestAnswerCheck::wrongAnswers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("leading blank") << " 21";
    QTest::newRow("trailing blank") << "21 ";
    QTest::newRow("leading zero") << "021";
    QTest::newRow("empty") << "";
    QTest::newRow("words") << "ventuno";
}

void TestAnswerCheck::wrongAnswers()
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
    QCOMPARE(f.caption("lblScore"), QStringLiteral("0"));
    QCOMPARE(f.caption("lblScore1"), QStringLiteral("1"));
    QCOMPARE(f.caption("lblScore2"), QStringLiteral("1"));
    QVERIFY(f.button("cmdNext")->isEnabled());
    QCOMPARE(f.tavola.focusWidget(), static_cast<QWidget *>(f.button("cmdNext")));
    QCOMPARE(f.box("Text3")->text(), typed);
}

void TestAnswerCheck::countersAndRejudging()
{
    Fixture f;
    f.ask(1, 2);
    f.answerRight();
    f.answer(QStringLiteral("5"));
    f.ask(1, 3);
    f.answer(QStringLiteral("8"));
    f.answer(QStringLiteral("8"));
    QCOMPARE(f.caption("lblScore"), QStringLiteral("1"));
    QCOMPARE(f.caption("lblScore1"), QStringLiteral("3"));
    QCOMPARE(f.caption("lblScore2"), QStringLiteral("4"));
    // The same right answer judged again counts again.
    f.answerRight();
    QCOMPARE(f.caption("lblScore"), QStringLiteral("2"));
    QCOMPARE(f.caption("lblScore1"), QStringLiteral("3"));
    QCOMPARE(f.caption("lblScore2"), QStringLiteral("5"));
}

void TestAnswerCheck::counterOverflowIsReported()
{
    Fixture f;
    f.ask(1, 1);
    f.box("Text3")->setText(QStringLiteral("3"));
    auto *check = f.tavola.findChild<QPushButton *>(QStringLiteral("Command3"));
    for (int i = 0; i < 32767; ++i)
        check->click();
    QCOMPARE(f.caption("lblScore"), QStringLiteral("32767"));
    QVERIFY(f.dialogs.calls.isEmpty());

    check->click();
    QCOMPARE(f.dialogs.calls, QStringList{"MsgBox Errore di esecuzione in Command3_Click:\nOverflow"});
    QCOMPARE(f.caption("lblScore"), QStringLiteral("32767"));
    QCOMPARE(f.tavola.rightAnswers().value(), 32767);
    // The game goes on: a wrong answer still counts until the total overflows.
    f.box("Text3")->setText(QStringLiteral("x"));
    check->click();
    QCOMPARE(f.caption("lblScore1"), QStringLiteral("1"));
    QCOMPARE(f.dialogs.calls.size(), 2);
    QCOMPARE(f.ends, 0);
}

void TestAnswerCheck::tenQuestionsByKeyboard()
{
    Fixture f;
    f.tavola.show();
    f.random.numbers.clear();
    for (int factor = 1; factor <= 10; ++factor)
        f.random.numbers << ScriptedRandom::drawing(factor, factor);
    f.tavola.cmdNext_Click();
    for (int factor = 1; factor <= 10; ++factor) {
        QWidget *focused = f.tavola.focusWidget();
        QCOMPARE(focused, static_cast<QWidget *>(f.box("Text3")));
        QVERIFY(f.tavola.surface()->hasDrawing());
        const QString typed = factor % 3 == 0 ? QStringLiteral("99") : QString::number(3 * factor);
        QTest::keyClick(focused, typed.at(0).toLatin1());
        QVERIFY(!f.tavola.surface()->hasDrawing());
        QVERIFY(f.label("lblNum2")->isVisible());
        QTest::keyClicks(focused, typed.mid(1));
        QTest::keyClick(focused, factor % 2 ? Qt::Key_Return : Qt::Key_Enter);
        QVERIFY(f.label("lblNum2")->isHidden());
        QCOMPARE(f.tavola.focusWidget(), static_cast<QWidget *>(f.button("cmdNext")));
        // The second Enter asks the next question.
        QTest::keyClick(f.tavola.focusWidget(), Qt::Key_Return);
    }
    QCOMPARE(f.caption("lblScore"), QStringLiteral("7"));
    QCOMPARE(f.caption("lblScore1"), QStringLiteral("3"));
    QCOMPARE(f.caption("lblScore2"), QStringLiteral("10"));
    QCOMPARE(f.random.reseeds, 11);
}

void TestAnswerCheck::screenReadersHearQuestionAndVerdict()
{
    Fixture f;
    f.tavola.show();
    f.ask(2, 8);
    QCOMPARE(f.box("Text3")->accessibleDescription(), QStringLiteral("3 per otto"));
    f.answer(QStringLiteral("24"));
    QAccessibleInterface *verdict = QAccessible::queryAccessibleInterface(f.label("lblMessage"));
    QCOMPARE(verdict->text(QAccessible::Name), QStringLiteral("Esatto. Sei forte!!!"));
    QCOMPARE(QAccessible::queryAccessibleInterface(f.label("lblScore"))->text(QAccessible::Name), QStringLiteral("1"));
}

QTEST_MAIN(TestAnswerCheck)
#include "tst_answercheck.moc"
