// SPDX-License-Identifier: GPL-3.0-or-later
#include "../speech/fakeclock.h"

#include "app/messageboxes.h"
#include "app/tavola.h"
#include "memoryrecordstore.h"
#include "scriptedrandom.h"
#include "speech/merlinagent.h"
#include "speech/merlinoverlay.h"
#include "speech/performer.h"
#include "speech/silentsynthesizer.h"

#include <QApplication>
#include <QBitmap>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QTimer>

namespace {

// The real boxes, with a look at each while it is up; the name prompt answers at once.
class Boxes final : public Dialogs {
public:
    std::function<void(QMessageBox *)> whileShown;
    QString InputBox(const QString &) override { return QStringLiteral("Zoe"); }
    void MsgBox(const QString &text) override
    {
        QTimer::singleShot(100, [this] { whileShown(qobject_cast<QMessageBox *>(QApplication::activeModalWidget())); });
        MessageBoxes().MsgBox(text);
    }
};

// What the X server shows once every pending repaint has reached it.
QImage grabScreen()
{
    const auto grab = [] {
        return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    };
    QImage last, now = grab();
    for (int i = 0; i < 40 && now != last; ++i) {
        QTest::qWait(40);
        last = std::exchange(now, grab());
    }
    return now;
}

QRect onScreen(const QWidget *w) { return {w->mapToGlobal(QPoint(0, 0)), w->size()}; }

QStringList xdotool(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments);
    p.waitForFinished(5000);
    return QString::fromLatin1(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

// The game on an X server with a window manager (tests/e2e/run.sh SIZE):
// wherever its window stands, Merlin is drawn inside it and hides none of
// what the child reads.
class TestMerlinOnScreen : public QObject {
    Q_OBJECT

    FakeClock m_clock;
    Tavola *m_tavola = nullptr;
    MerlinAgent *m_agent = nullptr;
    int m_boxesChecked = 0;

    // Lets the character's time run by `ms`; with ms 0, until he has words to say.
    void play(int ms)
    {
        for (int t = 0; ms ? t < ms : t < 20000 && m_agent->overlay()->balloonText().isEmpty(); t += 50) {
            m_clock.now += 50;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            m_agent->performer().tick();
            if (!ms) // his voice may take a moment on a slow machine
                QTest::qWait(1);
        }
    }

    // Merlin's drawn pixels: where the screen differs with and without him.
    QRegion merlinPixels()
    {
        QWidget *view = m_agent->overlay()->view();
        const QImage with = grabScreen();
        view->hide();
        const QImage without = grabScreen();
        view->show();
        QImage differ(with.size(), QImage::Format_RGB32);
        differ.fill(Qt::white);
        for (int y = 0; y < with.height(); ++y)
            for (int x = 0; x < with.width(); ++x)
                if (with.pixel(x, y) != without.pixel(x, y))
                    differ.setPixel(x, y, qRgb(0, 0, 0));
        return QRegion(QBitmap::fromImage(differ)); // the black pixels
    }

    // One window on the screen, Merlin inside it and clear of the counters,
    // the clock, the verdict and both buttons.
    void checkWhileSpeaking(const char *moment)
    {
        const QString what = QStringLiteral("%1, window at %2,%3: ").arg(QLatin1String(moment))
                                 .arg(m_tavola->frameGeometry().x()).arg(m_tavola->frameGeometry().y());
        const QStringList windows = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                             QStringLiteral("--pid"), QString::number(QCoreApplication::applicationPid())});
        QVERIFY2(windows == QStringList{QString::number(m_tavola->winId())}, qPrintable(what + windows.join(u' ')));
        const QRegion drawn = merlinPixels();
        QVERIFY2(drawn.boundingRect().width() * drawn.boundingRect().height() > 20000, qPrintable(what));
        QVERIFY2((drawn - onScreen(m_tavola->centralWidget())).isEmpty(), qPrintable(what + "outside the window"));
        for (const char *name : {"Shape4", "Shape5", "lblMessage", "cmdNext", "cmdExit1"}) {
            const auto *control = m_tavola->findChild<QWidget *>(QLatin1String(name));
            QVERIFY2(!drawn.intersects(onScreen(control)), qPrintable(what + "over " + name));
        }
    }

    // A box that comes up while Merlin speaks, pushed over him, hides him.
    void checkBox(QMessageBox *box)
    {
        QWidget *view = m_agent->overlay()->view();
        if (!view || !view->isVisible())
            return;
        box->move(onScreen(view).center() - QPoint(box->width() / 2, box->height() / 2));
        QTRY_VERIFY(onScreen(box).intersects(onScreen(view)));
        const QRegion drawn = merlinPixels();
        QVERIFY2(!drawn.isEmpty() && !drawn.intersects(box->frameGeometry()), qPrintable(box->text()));
        ++m_boxesChecked;
    }

    void moveWindow(QPoint frameTopLeft)
    {
        // xdotool places the window's inside; the frame goes around it.
        const QPoint to = frameTopLeft + m_tavola->geometry().topLeft() - m_tavola->frameGeometry().topLeft();
        xdotool({QStringLiteral("windowmove"), QString::number(m_tavola->winId()), QString::number(to.x()),
                 QString::number(to.y())});
        QTRY_COMPARE(m_tavola->frameGeometry().topLeft(), frameTopLeft);
        QTest::qWait(100);
    }

private Q_SLOTS:
    void merlinInsideAndClear()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server; run through tests/e2e/run.sh");
        // A steady caret, so that only Merlin differs between two looks.
        QApplication::setCursorFlashTime(0);
        MerlinAgent agent({std::make_unique<SilentSynthesizer>(), &m_clock, nullptr, false});
        MemoryRecordStore records;
        Boxes boxes;
        ScriptedRandom random;
        random.numbers = ScriptedRandom::drawing(4, 7);
        Tavola tavola({agent, records, boxes, random, {}});
        m_agent = &agent;
        m_tavola = &tavola;
        int boxesSeen = 0;
        boxes.whileShown = [&](QMessageBox *box) {
            ++boxesSeen;
            QVERIFY(box);
            checkBox(box);
            box->accept();
        };

        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        QCursor::setPos(screen.bottomRight());
        tavola.Form_Load();
        tavola.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tavola));
        // The clock's label would change between two looks.
        tavola.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        // Centred, then at the top left, then dragged near the far corner,
        // all while he introduces himself; at the last place his balloon is
        // at its fullest.
        const QSize room = screen.size() - tavola.frameGeometry().size();
        const QPoint places[] = {QPoint(room.width(), room.height()) / 2, QPoint(),
                                 QPoint(room.width() - 40, room.height() - 30)};
        play(0);
        for (const QPoint place : places) {
            moveWindow(place);
            play(4000);
            checkWhileSpeaking("introduction");
        }
        auto *answer = tavola.findChild<QLineEdit *>(QStringLiteral("Text3"));
        auto *product = tavola.findChild<QLineEdit *>(QStringLiteral("Text7"));
        // A look every half second until he is quiet again.
        const auto watch = [&](const char *moment) {
            play(0);
            for (int i = 0; i < 100 && !agent.performer().idle(); ++i, play(500))
                checkWhileSpeaking(moment);
        };
        const auto drain = [&] {
            for (int i = 0; i < 2000 && !agent.performer().idle(); ++i)
                play(50);
        };
        drain();
        answer->setText(QStringLiteral("99"));
        tavola.Command3_Click();
        watch("red verdict");
        // Right answers up the ladder: each praise animation is watched once.
        for (int p = 0; p <= 13; ++p) { // the (p+1)-th right answer
            tavola.cmdNext_Click();
            drain();
            answer->setText(product->text());
            tavola.Command3_Click();
            if (p == 2 || p == 5 || p == 13)
                watch("praise");
            drain();
        }
        // Goodbye and the record's confirmation, both while he speaks.
        tavola.cmdNext_Click();
        play(0);
        tavola.cmdExit1_Click();
        QCOMPARE(boxesSeen, 3);
        QCOMPARE(m_boxesChecked, 2);
    }
};

QTEST_MAIN(TestMerlinOnScreen)
#include "tst_merlinonscreen.moc"
