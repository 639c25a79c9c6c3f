// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/merlinoverlay.h"

#include <QApplication>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <functional>

namespace {
struct State {
    QString animation;
    qreal progress = 0;
    MouthShape mouth = MouthShape::Rest;
    QString balloon;
    qreal opacity = 1;
};

void apply(MerlinOverlay &overlay, const State &state)
{
    overlay.setAnimation(state.animation, state.progress);
    overlay.setMouth(state.mouth);
    overlay.setBalloon(state.balloon);
    overlay.setOpacity(state.opacity);
    overlay.freezeIdleAt(1000);
    overlay.renderPending();
}

// Collects what a widget is asked to repaint.
struct PaintLog final : QObject {
    QRegion painted;
    int paints = 0;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++paints;
        }
        return false;
    }
};

using Change = std::function<void(MerlinOverlay &, int step)>;
} // namespace

Q_DECLARE_METATYPE(State)
Q_DECLARE_METATYPE(Change)

class TestMerlinOverlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // What is drawn step by step must be what would be drawn from scratch.
    void partialRedrawMatchesFullDrawing_data()
    {
        QTest::addColumn<State>("before");
        QTest::addColumn<State>("after");
        const State talking{{}, 0, MouthShape::Wide, QStringLiteral("3 per sette")};
        const State longer{{}, 0, MouthShape::Round, QStringLiteral("3 per sette fa ventuno, bravissimo, continua così")};
        const State greeting{QStringLiteral("Greet"), 0.42};
        QTest::newRow("mouth opens") << State{} << State{{}, 0, MouthShape::Open};
        QTest::newRow("balloon grows") << talking << longer;
        QTest::newRow("balloon shrinks") << longer << talking;
        QTest::newRow("arm moves") << greeting << State{greeting.animation, 0.6};
        QTest::newRow("fade in") << State{{}, 0, {}, {}, 0.4} << talking;
    }
    void partialRedrawMatchesFullDrawing()
    {
        QFETCH(State, before);
        QFETCH(State, after);
        MerlinOverlay stepwise;
        MerlinOverlay fresh;
        apply(stepwise, before);
        apply(stepwise, after);
        apply(fresh, after);
        // Clipped and whole drawing may round a blended edge by a unit; a
        // stale pixel is off by far more.
        const auto wrong = [](QRgb a, QRgb b) {
            for (const int shift : {0, 8, 16, 24})
                if (qAbs(int(a >> shift & 0xff) - int(b >> shift & 0xff)) > 2)
                    return true;
            return false;
        };
        const QImage got = stepwise.frame();
        const QImage want = fresh.frame();
        QCOMPARE(got.size(), want.size());
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x)
                if (wrong(got.pixel(x, y), want.pixel(x, y)))
                    QFAIL(qPrintable(QStringLiteral("wrong pixel at %1,%2").arg(x).arg(y)));
    }

    // Merlin is part of the host window: placed from its frame, never a
    // window of his own, never taking a key or a click from the controls.
    void standsInHostWithoutTakingInput()
    {
        QWidget window;
        window.resize(785, 600);
        auto *host = new QWidget(&window);
        host->setGeometry(0, 44, 785, 556);
        auto *answer = new QLineEdit(host);
        answer->setGeometry(200, 330, 460, 75);
        // Under Merlin's figure, which starts a padding right of and below
        // his top-left.
        auto *button = new QPushButton(QStringLiteral("sotto"), host);
        button->setGeometry(300, 200, 60, 40);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        answer->setFocus();

        MerlinOverlay merlin;
        merlin.setHost(*host, QPoint(1, 39));
        merlin.setTopLeft(QPoint(250, 175));
        merlin.setOpacity(1);
        merlin.setBalloon(QStringLiteral("3 per sette"));
        QWidget *view = merlin.view();
        QVERIFY(view && view->isVisible() && !view->isWindow());
        QCOMPARE(view->parentWidget(), host);
        QCOMPARE(view->pos(), QPoint(249, 136));
        merlin.setTopLeft(QPoint(300, 180));
        QCOMPARE(view->pos(), QPoint(299, 141));
        QVERIFY(view->geometry().contains(button->geometry()));

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("21"));
        QCOMPARE(answer->text(), QStringLiteral("21"));
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, host->mapTo(&window, button->geometry().center()));
        QCOMPARE(clicked.count(), 1);
        int shown = 0;
        for (const QWidget *w : QApplication::topLevelWidgets())
            shown += w->isVisible();
        QCOMPARE(shown, 1);

        // The host may go first; the overlay then draws nowhere.
        delete host;
        QVERIFY(!merlin.view());
        merlin.setBalloon(QStringLiteral("ancora"));
        merlin.renderPending();
    }

    // Only what changed is repainted, at most one frame every kFrameMs.
    void repaintsOnlyWhatChanged_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<int>("everyMs");
        QTest::addColumn<int>("largestShare"); // of the view's area, in percent
        QTest::newRow("mouth moves") << Change([](MerlinOverlay &m, int step) {
            m.setMouth(step % 2 ? MouthShape::Open : MouthShape::Wide);
        }) << 40 << 5;
        // Faster than frames: they are drawn together.
        QTest::newRow("words come") << Change([](MerlinOverlay &m, int step) {
            m.setBalloon(QStringLiteral("3 per sette fa ventuno").left(1 + step % 20));
        }) << 4 << 60;
    }
    void repaintsOnlyWhatChanged()
    {
        QFETCH(Change, change);
        QFETCH(int, everyMs);
        QFETCH(int, largestShare);
        QWidget host;
        host.resize(785, 556);
        MerlinOverlay merlin;
        merlin.setHost(host, QPoint(0, 0));
        merlin.setTopLeft(QPoint(100, 100));
        merlin.freezeIdleAt(1000);
        merlin.setOpacity(1);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QTest::qWait(100);

        PaintLog log;
        host.installEventFilter(&log);
        QElapsedTimer elapsed;
        elapsed.start();
        for (int step = 0; elapsed.elapsed() < 500; ++step) {
            change(merlin, step);
            QTest::qWait(everyMs);
        }
        QTest::qWait(2 * MerlinOverlay::kFrameMs);
        QVERIFY(log.paints > 3);
        QVERIFY2(log.paints <= elapsed.elapsed() / MerlinOverlay::kFrameMs + 2, qPrintable(QString::number(log.paints)));
        const QRect view = merlin.view()->geometry();
        QVERIFY(view.contains(log.painted.boundingRect()));
        qint64 area = 0;
        for (const QRect &r : log.painted)
            area += qint64(r.width()) * r.height();
        QVERIFY2(area * 100 <= qint64(view.width()) * view.height() * largestShare, qPrintable(QString::number(area)));
    }
};

QTEST_MAIN(TestMerlinOverlay)
#include "tst_merlinoverlay.moc"
