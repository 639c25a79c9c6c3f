#include "fixture.h"

#include "app/surface.h"

#include <QApplication>
#include <QMenuBar>
#include <QTest>

// The window as the child first sees it, and the question it asks.
class TestWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsAtStart_data();
    void controlsAtStart();
    void focusAndLimits();
    void menuDoesNothing();
    void newQuestion_data();
    void newQuestion();
    void gradientBands_data();
    void gradientBands();
    void typedKeyClearsGradient();
};

void TestWindow::controlsAtStart_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("visible");
    // Pixels at 96 dpi: twips / 15.
    QTest::newRow("lblMessage") << "lblMessage" << QRect(424, 136, 87, 85) << "io" << true;
    QTest::newRow("lblNum1") << "lblNum1" << QRect(256, 0, 23, 79) << "" << false;
    QTest::newRow("Label10") << "Label10" << QRect(376, 8, 41, 65) << "X" << false;
    QTest::newRow("lblNum2") << "lblNum2" << QRect(504, 0, 23, 79) << "" << false;
    QTest::newRow("Label11") << "Label11" << QRect(618, 48, 121, 41) << "Tempo restante" << true;
    QTest::newRow("lblconto") << "lblconto" << QRect(624, 80, 105, 25) << "00.07.00" << true;
    QTest::newRow("Label6") << "Label6" << QRect(24, 16, 175, 37) << "Risposte esatte" << true;
    QTest::newRow("lblScore") << "lblScore" << QRect(96, 56, 21, 36) << "0" << true;
    QTest::newRow("Label1") << "Label1" << QRect(24, 104, 173, 37) << "Risposte errate" << true;
    QTest::newRow("lblScore1") << "lblScore1" << QRect(104, 144, 20, 36) << "0" << true;
    QTest::newRow("Label3") << "Label3" << QRect(24, 192, 167, 37) << "Risposte totali" << true;
    QTest::newRow("lblScore2") << "lblScore2" << QRect(104, 240, 21, 36) << "0" << true;
    QTest::newRow("Label14") << "Label14" << QRect(8, 424, 95, 28) << "Sfidante" << true;
    QTest::newRow("lblnome1") << "lblnome1" << QRect(8, 480, 43, 28) << "" << true;
    QTest::newRow("Label12") << "Label12" << QRect(8, 512, 153, 25) << QString::fromUtf8("Il record  è di ") << true;
    QTest::newRow("lblnome") << "lblnome" << QRect(160, 512, 66, 29) << "nome" << true;
    QTest::newRow("Label13") << "Label13" << QRect(400, 512, 97, 29) << "con punti" << true;
    QTest::newRow("lblpunti") << "lblpunti" << QRect(512, 512, 13, 29) << "0" << true;
}

void TestWindow::controlsAtStart()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);
    QFETCH(bool, visible);
    Fixture f;
    f.tavola.show();
    const auto *label = f.tavola.findChild<VbLabel *>(name);
    QVERIFY(label);
    // A label sized to its text keeps its corner and grows only where the
    // font needs a few more pixels than the classic faces did.
    QCOMPARE(label->pos(), geometry.topLeft());
    QVERIFY2(label->width() >= geometry.width() && label->width() <= geometry.width() * 5 / 4 + 2,
             qPrintable(QString::number(label->width())));
    QVERIFY2(label->height() >= geometry.height() && label->height() <= geometry.height() * 5 / 4 + 2,
             qPrintable(QString::number(label->height())));
    QCOMPARE(label->caption(), caption);
    QCOMPARE(label->isVisible(), visible);
}

void TestWindow::focusAndLimits()
{
    Fixture f;
    f.tavola.show();
    QCOMPARE(f.tavola.centralWidget()->size(), QSize(785, 556));
    QCOMPARE(f.box("Text3")->geometry(), QRect(208, 336, 457, 75));
    QCOMPARE(f.box("Text3")->text(), QStringLiteral("Text3"));
    QCOMPARE(f.box("Text3")->maxLength(), 250);
    QCOMPARE(f.button("cmdNext")->geometry(), QRect(208, 424, 121, 57));
    QCOMPARE(f.button("cmdExit1")->geometry(), QRect(544, 424, 121, 57));
    QVERIFY(!f.button("cmdNext")->isEnabled());
    QVERIFY(f.button("cmdExit1")->isEnabled());
    QCOMPARE(f.box("Text1")->text(), QStringLiteral("0"));
    QCOMPARE(f.box("Text6")->text(), QStringLiteral("Text6"));
    QCOMPARE(f.box("Text7")->text(), QStringLiteral("Text7"));
    QCOMPARE(f.box("Txtnome1")->text(), QStringLiteral("Text8"));
    QCOMPARE(Tavola::titleCaption().indexOf(QStringLiteral("ZORVALI")), 83);
    QVERIFY(Tavola::titleCaption().endsWith(QStringLiteral("it    ")));

    // Tab goes round the exit button and the answer box only while the
    // next-question button is disabled; then it follows the box.
    f.tavola.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.tavola));
    const auto tab = [&f] {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        return QApplication::focusWidget();
    };
    f.button("cmdExit1")->setFocus();
    QCOMPARE(tab(), static_cast<QWidget *>(f.box("Text3")));
    QCOMPARE(tab(), static_cast<QWidget *>(f.button("cmdExit1")));
    f.button("cmdNext")->setEnabled(true);
    QCOMPARE(tab(), static_cast<QWidget *>(f.box("Text3")));
    QCOMPARE(tab(), static_cast<QWidget *>(f.button("cmdNext")));
    QCOMPARE(tab(), static_cast<QWidget *>(f.button("cmdExit1")));
    f.button("cmdNext")->setEnabled(false);
    for (QWidget *w : f.tavola.centralWidget()->findChildren<QWidget *>()) {
        const bool takesFocus = w->focusPolicy() & Qt::TabFocus;
        const bool expected = w == f.box("Text3") || w == f.button("cmdNext") || w == f.button("cmdExit1");
        QVERIFY2(takesFocus == expected, qPrintable(w->objectName()));
    }

    QLineEdit *answer = f.box("Text3");
    answer->clear();
    QTest::keyClicks(answer, QString(260, u'7'));
    QCOMPARE(answer->text().size(), 250);

    // Alt+N does nothing while the button is disabled, and asks a question
    // once it is enabled.
    const qsizetype before = f.agent.calls.size();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    QCOMPARE(f.agent.calls.size(), before);
    f.button("cmdNext")->setEnabled(true);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(f.agent.calls.size(), before + 8);
}

void TestWindow::menuDoesNothing()
{
    Fixture f;
    const QList<QAction *> entries = f.tavola.menuBar()->actions();
    QCOMPARE(entries.size(), 4);
    for (QAction *entry : entries) {
        entry->trigger();
        if (entry->menu())
            for (QAction *item : entry->menu()->actions())
                item->trigger();
    }
    QVERIFY(f.agent.calls.isEmpty());
    QVERIFY(f.dialogs.calls.isEmpty());
    QCOMPARE(f.caption("lblMessage"), QStringLiteral("io"));
}

void TestWindow::newQuestion_data()
{
    QTest::addColumn<int>("factor");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QString>("words");
    QTest::newRow("1") << 1 << "3" << "uno";
    QTest::newRow("7") << 7 << "21" << "sette";
    QTest::newRow("10") << 10 << "30" << "dieci";
}

void TestWindow::newQuestion()
{
    QFETCH(int, factor);
    QFETCH(QString, product);
    QFETCH(QString, words);
    Fixture f;
    f.label("lblNum1")->show();
    f.ask(4, factor);

    QCOMPARE(f.random.reseeds, 1);
    QCOMPARE(f.agent.calls, QStringList({"Character Merlin", "Show", "MoveTo 250 175", "Play Greet", "Height 205",
                                         "Speak 3", "Speak per", "Speak " + words}));
    QCOMPARE(f.box("Text1")->text(), QStringLiteral("3"));
    QCOMPARE(f.caption("lblNum1"), QStringLiteral("3"));
    QCOMPARE(f.caption("lblNum2"), QString::number(factor));
    QCOMPARE(f.box("Text7")->text(), product);
    QCOMPARE(f.box("Text6")->text(), words);
    QCOMPARE(f.caption("lblMessage"), QString());
    QVERIFY(f.box("Text3")->text().isEmpty());
    QCOMPARE(f.tavola.focusWidget(), static_cast<QWidget *>(f.box("Text3")));
    for (const char *name : {"lblNum1", "lblNum2", "Label10"})
        QVERIFY2(f.label(name)->isHidden(), name);
    QCOMPARE(f.tavola.backgroundShade().value(), 4);
}

void TestWindow::gradientBands_data()
{
    QTest::addColumn<int>("shade");
    QTest::newRow("1") << 1;
    QTest::newRow("10") << 10;
}

void TestWindow::gradientBands()
{
    QFETCH(int, shade);
    Fixture f;
    f.tavola.show();
    f.ask(shade, 3);
    const QImage image = f.tavola.surface()->drawing();
    const int green = 20 * shade;
    QCOMPARE(image.pixel(0, 0), qRgb(60, green, 0));
    QCOMPARE(image.pixel(image.width() - 1, image.height() - 1), qRgb(60, green, 255));

    QList<int> heights;
    int run = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb row = image.pixel(0, y);
        QVERIFY(image.pixel(image.width() - 1, y) == row);
        if (y > 0 && row != image.pixel(0, y - 1)) {
            heights << run;
            run = 0;
        }
        ++run;
    }
    heights << run;
    QCOMPARE(heights.size(), 256);
    const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
    QVERIFY2(*high - *low <= 1, "bands differ by more than a pixel row");
}

void TestWindow::typedKeyClearsGradient()
{
    Fixture f;
    f.tavola.show();
    f.ask(5, 6);
    QVERIFY(f.tavola.surface()->hasDrawing());
    QTest::keyClick(f.box("Text3"), Qt::Key_1);
    QVERIFY(!f.tavola.surface()->hasDrawing());
    QCOMPARE(f.tavola.surface()->drawing().pixel(10, 10), qRgb(0xC8, 0xC8, 0xC8));
    QVERIFY(f.label("lblNum1")->isVisible());
    QVERIFY(f.label("Label10")->isVisible());
    QVERIFY(f.label("lblNum2")->isVisible());

    // Keys that type nothing are not key presses: no check, nothing shown.
    f.ask(5, 6);
    QTest::keyClick(f.box("Text3"), Qt::Key_Left);
    QTest::keyClick(f.box("Text3"), Qt::Key_Shift);
    QVERIFY(f.tavola.surface()->hasDrawing());
    QVERIFY(f.label("lblNum1")->isHidden());
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
