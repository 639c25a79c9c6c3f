#include "speech/merlinagent.h"
#include "speech/merlinwindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QVBoxLayout>

// The child types the answer while Merlin talks: his window must never take
// the keyboard from the main window. Needs a real X server and window
// manager (see run_with_openbox.sh).
class TestMerlinFocus : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void focusStaysInAnswerBox_data();
    void focusStaysInAnswerBox();

private:
    static QString activeWindowId();
};

void TestMerlinFocus::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server; run through run_with_openbox.sh");
}

QString TestMerlinFocus::activeWindowId()
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")});
    if (!xdotool.waitForFinished(5000) || xdotool.exitCode() != 0)
        return QString();
    return QString::fromLatin1(xdotool.readAllStandardOutput()).trimmed();
}

void TestMerlinFocus::focusStaysInAnswerBox_data()
{
    QTest::addColumn<QString>("animation");
    QTest::addColumn<QString>("text");
    QTest::newRow("question") << "Greet" << "3 per sette";
    QTest::newRow("introduction") << "Announce" << "Allora attenzione, iniziamo la nostra avventura";
    QTest::newRow("praise") << "congratulate" << "Sei grande";
}

void TestMerlinFocus::focusStaysInAnswerBox()
{
    QFETCH(QString, animation);
    QFETCH(QString, text);

    QWidget main;
    main.setWindowTitle(QStringLiteral("Tavola"));
    auto *layout = new QVBoxLayout(&main);
    auto *answer = new QLineEdit(&main);
    layout->addWidget(answer);
    main.setGeometry(100, 100, 500, 400);
    main.show();
    main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&main));
    answer->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), answer);
    const QString mainId = QString::number(main.winId());
    QTRY_COMPARE(activeWindowId(), mainId);

    MerlinAgent agent;
    agent.Characters().Load(QStringLiteral("Merlin"), QStringLiteral("C:\\WINDOWS\\speech\\chars\\Merlin.chr"));
    Character *merlin = nullptr;
    try {
        merlin = &agent.Characters().Character(QStringLiteral("Merlin"));
    } catch (const std::runtime_error &) {
        // A missing voice is reported once; Merlin goes on silently.
        merlin = &agent.Characters().Character(QStringLiteral("Merlin"));
    }
    merlin->Show();
    merlin->MoveTo(250, 175);
    merlin->Play(animation);
    merlin->Height(205);
    merlin->Speak(text);
    merlin->MoveTo(400, 300);

    QTRY_VERIFY(agent.window()->isVisible());
    // Type while he is on screen: the keys must land in the answer box.
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                                  QStringLiteral("50"), QStringLiteral("21")});
    for (int i = 0; i < 20; ++i) {
        QTest::qWait(150);
        QCOMPARE(QApplication::focusWidget(), answer);
        QCOMPARE(QGuiApplication::focusWindow(), main.windowHandle());
        QCOMPARE(activeWindowId(), mainId);
    }
    QTRY_COMPARE(answer->text(), QStringLiteral("21"));
    QVERIFY(!agent.window()->isActiveWindow());
}

QTEST_MAIN(TestMerlinFocus)
#include "tst_merlinfocus.moc"
