// SPDX-License-Identifier: GPL-3.0-or-later
#include "../merlin/fakeclock.h"

#include "app/tavola.h"
#include "app/vblabel.h"
#include "merlin/merlinagent.h"
#include "merlin/merlinoverlay.h"
#include "merlin/performer.h"
#include "merlin/silentsynthesizer.h"
#include "record/filerecordstore.h"
#include "recordingdialogs.h"
#include "scriptedrandom.h"

#include <QApplication>
#include <QBitmap>
#include <QDir>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

// What the X server shows once every pending repaint has reached it.
static QImage grabScreen()
{
    QImage last, now;
    for (int i = 0; i < 40 && (now.isNull() || now != last); ++i, QTest::qWait(40))
        last = std::exchange(now, QGuiApplication::primaryScreen()->grabWindow(0).toImage());
    return now;
}

static QRect onScreen(const QWidget *w) { return {w->mapToGlobal(QPoint(0, 0)), w->size()}; }

static QStringList xdotool(const QString &arguments)
{
    QProcess p;
    p.start(QStringLiteral("xdotool"), arguments.split(u' '));
    p.waitForFinished(5000);
    return QString::fromLatin1(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

static std::pair<long, qsizetype> residentKbAndDescriptors()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    const long pages = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ').value(1).toLong() : -1;
    return {pages * (::sysconf(_SC_PAGESIZE) / 1024), QDir(QStringLiteral("/proc/self/fd")).count()};
}

// The whole game with the real character on the test's clock, real record files and boxes that
// answer at once. Each function is its own ctest entry.
class TestGame : public QObject {
    Q_OBJECT

    QTemporaryDir m_data;
    FakeClock m_clock;
    RecordingDialogs m_dialogs;
    ScriptedRandom m_random;
    FileRecordStore m_records{m_data.path()};
    std::unique_ptr<MerlinAgent> m_agent;
    std::unique_ptr<Tavola> m_tavola;
    QLineEdit *m_answer = nullptr;
    QLineEdit *m_product = nullptr;

    bool start(std::unique_ptr<Synthesizer> voice)
    {
        m_agent = std::make_unique<MerlinAgent>(MerlinAgent::Parts{std::move(voice), &m_clock, nullptr, false});
        m_dialogs.name = QStringLiteral("Zoe");
        m_tavola = std::make_unique<Tavola>(TavolaServices{*m_agent, m_records, m_dialogs, m_random, {}});
        m_tavola->Form_Load();
        m_tavola->show();
        // The contest's seven minutes would end the game; its label would change between two looks.
        m_tavola->findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        m_answer = m_tavola->findChild<QLineEdit *>(QStringLiteral("Text3"));
        m_product = m_tavola->findChild<QLineEdit *>(QStringLiteral("Text7"));
        return QTest::qWaitForWindowExposed(m_tavola.get());
    }

    // Lets Merlin's time run until `done`; his words are made on another thread, hence the real limit.
    bool playUntil(const std::function<bool()> &done, int stepMs = 50)
    {
        for (const QDeadlineTimer patience(20000); !done() && !patience.hasExpired();) {
            m_clock.now += stepMs;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            m_agent->performer().tick();
        }
        return done();
    }
    bool drain(int stepMs = 50) { return playUntil([this] { return m_agent->performer().idle(); }, stepMs); }
    void play(qint64 ms) { playUntil([this, until = m_clock.now + ms] { return m_clock.now >= until; }); }
    void untilHeSpeaks() { playUntil([this] { return !m_agent->overlay()->balloonText().isEmpty(); }); }

    // One window of the game on the screen, Merlin inside it and clear of the counters, the clock,
    // the verdict and both buttons.
    void checkWhileSpeaking(const char *moment)
    {
        const QString what = QLatin1String(moment) + QStringLiteral(" at %1,%2: ").arg(m_tavola->x()).arg(m_tavola->y());
        const QStringList windows = xdotool(QStringLiteral("search --onlyvisible --pid %1").arg(::getpid()));
        QVERIFY2(windows == QStringList{QString::number(m_tavola->winId())}, qPrintable(what + windows.join(u' ')));
        // His drawn pixels: where the screen differs with and without him.
        QImage differ = grabScreen();
        m_agent->overlay()->view()->hide();
        QPainter painter(&differ);
        painter.setCompositionMode(QPainter::CompositionMode_Difference); // black where alike
        painter.drawImage(0, 0, grabScreen());
        painter.end();
        m_agent->overlay()->view()->show();
        const QRegion drawn(QBitmap::fromImage(differ.createMaskFromColor(qRgb(0, 0, 0)))); // all but the black
        QVERIFY2(drawn.boundingRect().width() * drawn.boundingRect().height() > 20000, qPrintable(what));
        QVERIFY2((drawn - onScreen(m_tavola->centralWidget())).isEmpty(), qPrintable(what + "outside the window"));
        for (const char *name : {"Shape4", "Shape5", "lblMessage", "cmdNext", "cmdExit1"}) {
            const QRect control = onScreen(m_tavola->findChild<QWidget *>(QLatin1String(name)));
            QVERIFY2(!drawn.intersects(control), qPrintable(what + "over " + name));
        }
    }

    // A look every half second until he is quiet again.
    void watch(const char *moment)
    {
        untilHeSpeaks();
        for (int i = 0; i < 100 && !m_agent->performer().idle() && !QTest::currentTestFailed(); ++i, play(500))
            checkWhileSpeaking(moment);
    }

private Q_SLOTS:
    void cleanup()
    {
        if (m_tavola)
            m_tavola->cmdExit1_Click();
        m_tavola.reset(); // before the character it speaks through
        QVERIFY2(m_dialogs.calls.filter(QStringLiteral("Errore")).isEmpty(), qPrintable(m_dialogs.calls.join(u'\n')));
    }

    // On an X server with a window manager (tests/e2e/run.sh SIZE): wherever the window stands,
    // Merlin is drawn inside it and hides none of what the child reads.
    void merlinInsideAndClear()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server; run through tests/e2e/run.sh");
        QApplication::setCursorFlashTime(0); // a steady caret: only Merlin differs between two looks
        QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight());
        m_random.numbers = ScriptedRandom::drawing(4, 7);
        QVERIFY(start(std::make_unique<SilentSynthesizer>()));
        // Centred, top left, then dragged near the far corner while he introduces himself.
        const QSize room = QGuiApplication::primaryScreen()->size() - m_tavola->frameGeometry().size();
        untilHeSpeaks();
        for (const QPoint place : {QPoint(room.width(), room.height()) / 2, QPoint(),
                                   QPoint(room.width() - 40, room.height() - 30)}) {
            // xdotool places the window's inside; the frame goes around it.
            const QPoint to = place + m_tavola->geometry().topLeft() - m_tavola->pos();
            xdotool(QStringLiteral("windowmove %1 %2 %3").arg(m_tavola->winId()).arg(to.x()).arg(to.y()));
            QTRY_COMPARE(m_tavola->pos(), place);
            play(4000);
            checkWhileSpeaking("introduction");
        }
        drain();
        m_answer->setText(QStringLiteral("99"));
        m_tavola->Command3_Click();
        watch("red verdict");
        // Right answers up the ladder: each praise animation is watched once.
        for (int p = 0; p <= 13; ++p) { // the (p+1)-th right answer
            m_tavola->cmdNext_Click();
            drain();
            m_answer->setText(m_product->text());
            m_tavola->Command3_Click();
            if (p == 2 || p == 5 || p == 13)
                watch("praise");
        }
        // Where he stands over the answer box, a click goes through him to the box.
        const QRect overAnswer = onScreen(m_agent->overlay()->view()) & onScreen(m_answer);
        QVERIFY(!overAnswer.isEmpty() && !m_answer->hasFocus());
        QTest::mouseClick(m_tavola->windowHandle(), Qt::LeftButton, {}, m_tavola->mapFromGlobal(overAnswer.center()));
        QVERIFY(m_answer->hasFocus());
    }

    // Thousands of questions in one process: memory and descriptors stay flat, Merlin never sticks.
    void thousandsOfQuestions()
    {
        m_random.numbers = {0.05, 0.93, 0.41, 0.27, 0.66, 0.18, 0.84, 0.52, 0.39};
        QVERIFY(start(nullptr)); // the real voice, with no sound device
        QTRY_VERIFY(m_answer->hasFocus());
        std::pair<long, qsizetype> warm;
        for (int i = 1; i <= 5000; ++i) {
            QTest::keyClicks(m_answer, i % 7 ? m_product->text() : m_product->text() + u'0'); // every 7th wrong
            QTest::keyClick(m_answer, Qt::Key_Return);
            QVERIFY2(drain(250), qPrintable(QStringLiteral("Merlin stuck after answer %1").arg(i)));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY2(drain(250) && m_answer->hasFocus(), qPrintable(QStringLiteral("question %1").arg(i)));
            if (i == 500)
                warm = residentKbAndDescriptors();
        }
        const auto [kb, descriptors] = residentKbAndDescriptors();
        QVERIFY2(warm.first > 0 && kb - warm.first < 2 * 1024, qPrintable(QStringLiteral("grew by %1 kB").arg(kb - warm.first)));
        QCOMPARE(descriptors, warm.second);
        QCOMPARE(m_tavola->findChild<VbLabel *>(QStringLiteral("lblScore"))->caption(), QString::number(5000 - 5000 / 7));
    }
};

QTEST_MAIN(TestGame)
#include "tst_game.moc"
