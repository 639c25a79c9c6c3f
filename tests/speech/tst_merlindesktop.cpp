// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/compositorprobe.h"
#include "speech/merlinagent.h"
#include "speech/merlinwindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

// Merlin on a real X server with a window manager (run_with_openbox.sh).
class TestMerlinDesktop : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server; run through run_with_openbox.sh");
    }

    // The child types the answer while Merlin talks: his window must never
    // take the keyboard from the game's.
    void focusStaysInAnswerBox()
    {
        QLineEdit answer;
        answer.setGeometry(100, 100, 500, 400);
        answer.show();
        QVERIFY(QTest::qWaitForWindowActive(&answer));

        MerlinAgent agent;
        agent.Characters().Load(QStringLiteral("Merlin"), QStringLiteral("C:\\Merlin.chr"));
        try {
            agent.Characters().Character(QStringLiteral("Merlin"));
        } catch (const std::runtime_error &) { // no voice: reported once, then silent
        }
        Character &merlin = agent.Characters().Character(QStringLiteral("Merlin"));
        merlin.Show();
        merlin.MoveTo(250, 175);
        merlin.Play(QStringLiteral("Greet"));
        merlin.Speak(QStringLiteral("3 per sette"));
        merlin.MoveTo(400, 300);
        merlin.Speak(QStringLiteral("Sei grande"));
        QTRY_VERIFY(agent.window()->isVisible());
        // Keys typed while he shows, moves and speaks land in the answer box.
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"),
                                                      QStringLiteral("50"), QStringLiteral("21")});
        for (int i = 0; i < 40; ++i) {
            QTest::qWait(150);
            QCOMPARE(QApplication::focusWidget(), &answer);
        }
        QCOMPARE(answer.text(), QStringLiteral("21"));
    }

    // With and without a compositing manager the game shows around Merlin,
    // never a black box.
    void desktopShowsAroundMerlin_data()
    {
        QTest::addColumn<bool>("compositor");
        QTest::newRow("no compositor") << false;
        QTest::newRow("compositor") << true;
    }
    void desktopShowsAroundMerlin()
    {
        QFETCH(bool, compositor);
        CompositorProbe probe;
        QProcess manager;
        if (compositor) {
            const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
            if (program.isEmpty())
                QSKIP("xcompmgr is not installed");
            manager.start(program, {});
            QTRY_VERIFY_WITH_TIMEOUT(probe.compositing(), 5000);
        }
        QCOMPARE(probe.compositing(), compositor);
        const QColor backdrop(0x20, 0xc0, 0x40);
        QWidget game;
        game.setStyleSheet(QStringLiteral("background: %1").arg(backdrop.name()));
        game.setGeometry(100, 100, 900, 560);
        game.show();
        QVERIFY(QTest::qWaitForWindowExposed(&game));
        MerlinWindow merlin;
        merlin.setTopLeft(QPoint(250, 175));
        merlin.freezeIdleAt(1000);
        merlin.setBalloon(QStringLiteral("Esatto"));
        merlin.setOpacity(1);
        QVERIFY(QTest::qWaitForWindowExposed(&merlin));
        QTest::qWait(800);

        const QImage screen = merlin.screen()->grabWindow(0).toImage();
        const auto isBackdrop = [&](int x, int y) {
            const QColor pixel = screen.pixelColor(merlin.geometry().topLeft() + QPoint(x, y));
            return qAbs(pixel.red() - backdrop.red()) + qAbs(pixel.green() - backdrop.green())
                       + qAbs(pixel.blue() - backdrop.blue()) <= 12;
        };
        const int w = merlin.width();
        QVERIFY(isBackdrop(2, 2) && isBackdrop(w - 3, 2) && isBackdrop(2, merlin.height() - 3));
        // Across his middle: the desktop up to his outline, then Merlin.
        const QRectF figure = merlin.figureRect();
        int first = 0;
        while (first < w && isBackdrop(first, qRound(figure.center().y())))
            ++first;
        QVERIFY2(first >= figure.left() - 2 && first < figure.right(), qPrintable(QString::number(first)));
        QCOMPARE(merlin.mask().isEmpty(), compositor);
        manager.terminate();
        manager.waitForFinished(5000);
    }
};

QTEST_MAIN(TestMerlinDesktop)
#include "tst_merlindesktop.moc"
