// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {
const QString kIntro = QStringLiteral(
    "Speak Allora attenzione, iniziamo la nostra avventura con la tabellina del 3. Io detto e tu scrivi il "
    "risultato nello spazio sotto di me. Mi raccomando inserisci il risultato e premi invio e poi aspetta che io "
    "finisca di parlare e premi ancora invio per avere la domanda successiva");
const QString kGoodbye = QStringLiteral("MsgBox Ciao. Ti aspetto per la prossima sfida ");
const QString kSaved = QStringLiteral("MsgBox Ok ho registrato il tuo record, C A M P I O N E\"");
} // namespace

// Start-up, and the exit that saves a beaten record into real files.
class TestStartExit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nameAndGreeting_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shownName");
        QTest::newRow("cancelled") << "" << "";
        QTest::newRow("blanks kept") << "   " << "   ";
        QTest::newRow("control characters dropped") << "Ada\r\n\tLove\x01" << "AdaLove";
    }

    void nameAndGreeting()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shownName);
        Fixture f;
        f.dialogs.name = typed;
        f.tavola.Form_Load();
        QCOMPARE(f.dialogs.calls, QStringList({"InputBox Come ti chiami?",
                                               "MsgBox  " + shownName + " vediamo se sei un vero campione  "}));
        // No name at all: the window calls the child "Amico".
        const QString name = shownName.isEmpty() ? QStringLiteral("Amico") : shownName;
        QCOMPARE(f.caption("lblnome1"), name);
        QCOMPARE(f.box("Txtnome1")->text(), name);
    }

    void firstStart()
    {
        Fixture f;
        f.dialogs.name = QStringLiteral("Zoe");
        f.tavola.Form_Load();
        QCOMPARE(f.agent.calls, QStringList({"Load Merlin C:\\WINDOWS\\speech\\chars\\Merlin.chr", "Character Merlin",
                                             "Show", "MoveTo 250 175", "Play Announce", "Height 205", kIntro}));
        // No files yet: both are made empty, and the record line shows them so.
        QCOMPARE(f.recordFile(kPointsFileName), QByteArray());
        QCOMPARE(f.recordFile(kNameFileName), QByteArray());
        QCOMPARE(f.caption("lblpunti") + f.caption("lblnome"), QString());
        QCOMPARE(f.caption("lblconto"), QStringLiteral("00.07.00"));

        // The first showing asks the first question; showing again does not.
        f.agent.calls.clear();
        f.tavola.show();
        QTRY_COMPARE(f.agent.calls.size(), 8);
        QCOMPARE(f.agent.calls.last(), QStringLiteral("Speak ") + f.box("Text6")->text());
        f.tavola.hide();
        f.tavola.show();
        QTest::qWait(20);
        QCOMPARE(f.agent.calls.size(), 8);
    }

    void startUpFailuresLeaveAGame_data()
    {
        QTest::addColumn<QStringList>("broken");
        QTest::addColumn<bool>("failLoad");
        QTest::addColumn<bool>("failCharacter");
        QTest::addColumn<QString>("fault");
        const QString points = QString::fromLatin1(kPointsFileName), name = QString::fromLatin1(kNameFileName);
        QTest::newRow("both files unusable") << QStringList{points, name} << false << false << points + ".*\n.*" + name;
        QTest::newRow("Merlin without voice") << QStringList() << true << false << "caricamento";
        QTest::newRow("Merlin not there") << QStringList() << false << true << "personaggio";
    }

    void startUpFailuresLeaveAGame()
    {
        QFETCH(QStringList, broken);
        QFETCH(bool, failLoad);
        QFETCH(bool, failCharacter);
        QFETCH(QString, fault);
        Fixture f;
        // A directory where a record file should be cannot be used.
        for (const QString &file : broken)
            QVERIFY(QDir().mkpath(f.recordPath(qPrintable(file))));
        f.agent.failLoad = failLoad;
        f.agent.failCharacter = failCharacter;
        const auto *timer = f.tavola.findChild<QTimer *>(QStringLiteral("Timer1"));
        bool clockRan = false;
        f.dialogs.onMsgBox = [&] { clockRan = clockRan || timer->isActive(); };
        f.tavola.Form_Load();
        // One box naming what failed; the contest clock waits while it is open.
        QCOMPARE(f.dialogs.calls.size(), 3);
        QVERIFY2(f.dialogs.calls[2].contains(QRegularExpression("^MsgBox Errore di esecuzione in Form_Load:\n.*" + fault)),
                 qPrintable(f.dialogs.calls[2]));
        QVERIFY(!clockRan && timer->isActive());
        QCOMPARE(f.caption("lblpunti") + f.caption("lblnome"), broken.isEmpty() ? "" : "0nome");
        QCOMPARE(f.agent.calls.contains(kIntro), !failCharacter);

        // The child plays on, with or without Merlin, and no more boxes.
        f.dialogs.calls.clear();
        f.ask(1, 2);
        f.answer("6");
        QCOMPARE(f.dialogs.calls, QStringList());
        QCOMPARE(f.caption("lblScore") + f.caption("lblMessage"), "1Esatto. Sei forte!!!");
    }

    // A record name longer than any prompt is made smaller, never over the points.
    void longRecordNameKeepsClearOfThePoints()
    {
        Fixture f;
        QVERIFY(f.writeRecordFile(kNameFileName, QByteArray(200, 'W')));
        f.tavola.Form_Load();
        const VbLabel *shown = f.label("lblnome");
        QCOMPARE(shown->caption(), QString(200, u'W'));
        QVERIFY(shown->geometry().right() < f.label("Label13")->x());
        QVERIFY(shown->font().pointSizeF() < 18 && shown->font().pointSizeF() >= 8);
    }

    void exitSavesOnlyABeatenRecord_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("score");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        QTest::newRow("empty files, 0") << QByteArray() << 0 << "exit button" << false;
        QTest::newRow("12 beaten by 13") << QByteArray("12\r\n") << 13 << "exit button" << true;
        QTest::newRow("12 beaten by 13, window closed") << QByteArray("12\r\n") << 13 << "close" << true;
        QTest::newRow("12 beaten by 13, SIGTERM") << QByteArray("12\r\n") << 13 << "terminate" << true;
        QTest::newRow("12 against 12, SIGTERM") << QByteArray("12\r\n") << 12 << "terminate" << false;
    }

    void exitSavesOnlyABeatenRecord()
    {
        QFETCH(QByteArray, stored);
        QFETCH(int, score);
        QFETCH(QString, how);
        QFETCH(bool, saved);
        Fixture f;
        const QByteArray storedName = stored.isEmpty() ? "" : "Lia\r\n";
        QVERIFY(f.writeRecordFile(kPointsFileName, stored) && f.writeRecordFile(kNameFileName, storedName));
        f.tavola.Form_Load();
        QCOMPARE(f.caption("lblpunti") + f.caption("lblnome"), QString::fromLatin1(stored + storedName));
        f.ask(1, 1);
        for (int i = 0; i < score; ++i)
            f.answerRight();
        f.dialogs.calls.clear();
        if (how == "terminate") {
            f.tavola.saveOnTermination();
        } else if (how == "close") {
            f.tavola.show();
            QVERIFY(!f.tavola.close());
        } else {
            f.button("cmdExit1")->click();
        }
        const QStringList boxes = saved ? QStringList{kGoodbye, kSaved} : QStringList{kGoodbye};
        QCOMPARE(f.dialogs.calls, how == "terminate" ? QStringList() : boxes);
        QCOMPARE(f.ends, 1);
        QCOMPARE(f.recordFile(kPointsFileName), saved ? QByteArray::number(score) + "\r\n" : stored);
        QCOMPARE(f.recordFile(kNameFileName), saved ? "Amico\r\n" : storedName);
    }

    void exitIsEnteredOnce()
    {
        Fixture f;
        f.tavola.Form_Load();
        f.ask(1, 1);
        f.answerRight();
        for (int tick = 1; tick <= 420; ++tick)
            f.tavola.Timer1_Timer();
        QVERIFY(f.ends == 0 && f.dialogs.calls.size() == 2);
        // Ticks while the boxes are open must not start a second exit.
        int ticks = 0;
        f.dialogs.onMsgBox = [&] {
            while (ticks < 3) {
                ++ticks;
                f.tavola.Timer1_Timer();
            }
        };
        f.tavola.Timer1_Timer();
        QCOMPARE(f.dialogs.calls.mid(2), QStringList({kGoodbye, kSaved}));
        QCOMPARE(f.recordFile(kPointsFileName), QByteArray("1\r\n"));
        QCOMPARE(f.ends, 1);
    }
};

QTEST_MAIN(TestStartExit)
#include "tst_startexit.moc"
