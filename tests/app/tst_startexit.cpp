#include "fixture.h"

#include <QCloseEvent>
#include <QTest>

namespace {
const QString kIntro = QStringLiteral(
    "Speak Allora attenzione, iniziamo la nostra avventura con la tabellina del 3. Io detto e tu scrivi il "
    "risultato nello spazio sotto di me. Mi raccomando inserisci il risultato e premi invio e poi aspetta che io "
    "finisca di parlare e premi ancora invio per avere la domanda successiva");
const QString kGoodbye = QStringLiteral("MsgBox Ciao. Ti aspetto per la prossima sfida ");
const QString kSaved = QStringLiteral("MsgBox Ok ho registrato il tuo record, C A M P I O N E\"");
} // namespace

// Start-up, the clock running out and the exit that saves a beaten record.
class TestStartExit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nameAndGreeting_data();
    void nameAndGreeting();
    void startUpOrder();
    void storedRecordIsShown();
    void failingStepsDoNotStopTheGame();
    void activationOnlyOnFirstShow();
    void clockEndsTheContest();
    void exitSavesOnlyABeatenRecord_data();
    void exitSavesOnlyABeatenRecord();
    void exitIsEnteredOnce();
    void closingTheWindowSaves();
    void terminationSavesSilently();
    void failedSaveIsNotReportedAsSuccess();
};

void TestStartExit::nameAndGreeting_data()
{
    QTest::addColumn<std::optional<QString>>("typed");
    QTest::addColumn<QString>("greeting");
    QTest::addColumn<QString>("shownName");
    QTest::newRow("cancelled") << std::optional<QString>() << "  vediamo se sei un vero campione  " << "Amico";
    QTest::newRow("empty") << std::optional<QString>(QString()) << "  vediamo se sei un vero campione  " << "Amico";
    QTest::newRow("blanks kept") << std::optional<QString>("   ") << "     vediamo se sei un vero campione  " << "   ";
    QTest::newRow("accented") << std::optional<QString>(QString::fromUtf8("Niccolò"))
                              << QString::fromUtf8(" Niccolò vediamo se sei un vero campione  ")
                              << QString::fromUtf8("Niccolò");
    QTest::newRow("control characters dropped") << std::optional<QString>("Ada\r\n\tLove\x01")
                                                << " AdaLove vediamo se sei un vero campione  " << "AdaLove";
    QTest::newRow("only a line feed") << std::optional<QString>("\n") << "  vediamo se sei un vero campione  "
                                      << "Amico";
}

void TestStartExit::nameAndGreeting()
{
    QFETCH(std::optional<QString>, typed);
    QFETCH(QString, greeting);
    QFETCH(QString, shownName);
    Fixture f;
    f.dialogs.name = typed;
    f.tavola.Form_Load();
    QCOMPARE(f.dialogs.calls, QStringList({"InputBox Come ti chiami?", "MsgBox " + greeting}));
    QCOMPARE(f.caption("lblnome1"), shownName);
    QCOMPARE(f.box("Txtnome1")->text(), shownName);
}

void TestStartExit::startUpOrder()
{
    Fixture f;
    f.dialogs.name = QStringLiteral("Zoe");
    f.tavola.Form_Load();
    const QString dir = MemoryRecordStore::dir();
    QCOMPARE(f.store.calls, QStringList({"GetSystemDir", "createIfMissing " + dir + "azorvrec3.txt",
                                         "createIfMissing " + dir + "nzorvrec3.txt",
                                         "Leggifiletxt " + dir + "azorvrec3.txt",
                                         "Leggifiletxt " + dir + "nzorvrec3.txt"}));
    QCOMPARE(f.agent.calls, QStringList({"Load Merlin C:\\WINDOWS\\speech\\chars\\Merlin.chr", "Character Merlin",
                                         "Show", "MoveTo 250 175", "Play Announce", "Height 205", kIntro}));
    // First start: both files made empty, and the record line shows them so.
    QCOMPARE(f.caption("lblpunti"), QString());
    QCOMPARE(f.caption("lblnome"), QString());
    QCOMPARE(f.store.files.size(), 2);
    QCOMPARE(f.caption("lblconto"), QStringLiteral("00.07.00"));
    QCOMPARE(f.tavola.countdown().minutesLeft().value(), 7);

    f.agent.calls.clear();
    f.ask(1, 1);
    f.tavola.Form_Activate();
    QCOMPARE(f.agent.calls.first(), QStringLiteral("Character Merlin"));
    QCOMPARE(f.agent.calls.size(), 16);
    QCOMPARE(f.tavola.rightAnswers().value(), 0);
    QCOMPARE(f.caption("lblconto"), QStringLiteral("00.07.00"));
    f.tavola.Timer1_Timer();
    QCOMPARE(f.caption("lblconto"), QStringLiteral("00:06:59"));
}

void TestStartExit::storedRecordIsShown()
{
    Fixture f;
    f.store.files.insert(MemoryRecordStore::dir() + "azorvrec3.txt", "12\r\n");
    f.store.files.insert(MemoryRecordStore::dir() + "nzorvrec3.txt", "Amico\r\n");
    f.tavola.Form_Load();
    QCOMPARE(f.caption("lblpunti"), QStringLiteral("12\r\n"));
    QCOMPARE(f.caption("lblnome"), QStringLiteral("Amico\r\n"));
    QCOMPARE(f.label("lblpunti")->text(), QStringLiteral("12\n"));
}

void TestStartExit::failingStepsDoNotStopTheGame()
{
    Fixture f;
    f.store.failDirectory = true;
    f.agent.failCharacter = true;
    f.label("lblNum1")->show();
    f.tavola.Form_Load();
    QCOMPARE(f.dialogs.calls.size(), 4);
    QVERIFY(f.dialogs.calls[2].startsWith("MsgBox Errore di esecuzione in Form_Load:\ncartella non creata"));
    QVERIFY(f.dialogs.calls[3].startsWith("MsgBox Errore di esecuzione in Form_Load:\npersonaggio"));
    QVERIFY(f.label("lblNum1")->isHidden());
    QCOMPARE(f.caption("lblpunti"), QStringLiteral("0"));
    QVERIFY(f.agent.calls.contains("Load Merlin C:\\WINDOWS\\speech\\chars\\Merlin.chr"));
}

void TestStartExit::activationOnlyOnFirstShow()
{
    Fixture f;
    f.tavola.Form_Load();
    f.agent.calls.clear();
    f.tavola.show();
    QTRY_COMPARE(f.agent.calls.size(), 8);
    f.tavola.hide();
    f.tavola.show();
    QTest::qWait(20);
    QCOMPARE(f.agent.calls.size(), 8);
}

void TestStartExit::clockEndsTheContest()
{
    Fixture f;
    f.tavola.ResetCountdown();
    for (int tick = 1; tick <= 420; ++tick)
        f.tavola.Timer1_Timer();
    QCOMPARE(f.caption("lblconto"), QStringLiteral("00:00:00"));
    QVERIFY(f.dialogs.calls.isEmpty());
    f.tavola.Timer1_Timer();
    QCOMPARE(f.dialogs.calls, QStringList{kGoodbye});
    QCOMPARE(f.ends, 1);

    // The dotted caption shown before the first tick never ends a contest.
    Fixture g;
    g.tavola.ResetCountdown();
    g.tavola.Timer1_Timer();
    QCOMPARE(g.caption("lblconto"), QStringLiteral("00:06:59"));
    QCOMPARE(g.ends, 0);
}

void TestStartExit::exitSavesOnlyABeatenRecord_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("score");
    QTest::addColumn<bool>("saved");
    QTest::newRow("empty files, 0") << "" << 0 << false;
    QTest::newRow("empty files, 1") << "" << 1 << true;
    QTest::newRow("12 against 12") << "12\r\n" << 12 << false;
    QTest::newRow("12 beaten by 13") << "12\r\n" << 13 << true;
    QTest::newRow("12 against 3") << "12\r\n" << 3 << false;
}

void TestStartExit::exitSavesOnlyABeatenRecord()
{
    QFETCH(QString, stored);
    QFETCH(int, score);
    QFETCH(bool, saved);
    Fixture f;
    f.store.files.insert(MemoryRecordStore::dir() + "azorvrec3.txt", stored);
    f.tavola.Form_Load();
    f.ask(1, 1);
    for (int i = 0; i < score; ++i)
        f.answerRight();
    f.dialogs.calls.clear();
    f.button("cmdExit1")->click();
    QCOMPARE(f.dialogs.calls, saved ? QStringList({kGoodbye, kSaved}) : QStringList{kGoodbye});
    QCOMPARE(f.ends, 1);
    QCOMPARE(f.store.points(), saved ? QString::number(score) + "\r\n" : stored);
    if (saved)
        QCOMPARE(f.store.name(), QStringLiteral("Amico\r\n"));
}

void TestStartExit::exitIsEnteredOnce()
{
    Fixture f;
    f.tavola.Form_Load();
    f.ask(1, 1);
    f.answerRight();
    for (int tick = 1; tick <= 420; ++tick)
        f.tavola.Timer1_Timer();
    // Ticks delivered while the goodbye box is open must not start a second exit.
    f.dialogs.calls.clear();
    f.dialogs.onMsgBox = [&](const QString &) {
        for (int i = 0; i < 3; ++i)
            f.tavola.Timer1_Timer();
    };
    f.tavola.Timer1_Timer();
    QCOMPARE(f.dialogs.calls, QStringList({kGoodbye, kSaved}));
    QCOMPARE(f.store.calls.filter("saveIfBeaten").size(), 1);
    QCOMPARE(f.ends, 1);
}

void TestStartExit::closingTheWindowSaves()
{
    Fixture f;
    f.tavola.Form_Load();
    f.ask(1, 1);
    f.answerRight();
    f.tavola.show();
    QVERIFY(!f.tavola.close());
    QCOMPARE(f.store.points(), QStringLiteral("1\r\n"));
    QCOMPARE(f.ends, 1);
    QVERIFY(f.tavola.close());
}

void TestStartExit::terminationSavesSilently()
{
    Fixture f;
    f.dialogs.name = QStringLiteral("Zoe");
    f.tavola.Form_Load();
    f.ask(1, 1);
    f.answerRight();
    f.answerRight();
    f.dialogs.calls.clear();
    f.tavola.saveOnTermination();
    QVERIFY(f.dialogs.calls.isEmpty());
    QCOMPARE(f.store.points(), QStringLiteral("2\r\n"));
    QCOMPARE(f.store.name(), QStringLiteral("Zoe\r\n"));
    QCOMPARE(f.ends, 1);
}

void TestStartExit::failedSaveIsNotReportedAsSuccess()
{
    Fixture f;
    f.tavola.Form_Load();
    f.store.failSaveReason = QStringLiteral("disco pieno");
    f.ask(1, 1);
    f.answerRight();
    f.dialogs.calls.clear();
    f.tavola.cmdExit1_Click();
    QCOMPARE(f.dialogs.calls.size(), 2);
    QCOMPARE(f.dialogs.calls[0], kGoodbye);
    QVERIFY(f.dialogs.calls[1].contains("non sono riuscito a registrare il tuo record"));
    QVERIFY(f.dialogs.calls[1].endsWith("disco pieno"));
    QCOMPARE(f.store.points(), QString());
    QCOMPARE(f.ends, 1);
}

QTEST_MAIN(TestStartExit)
#include "tst_startexit.moc"
