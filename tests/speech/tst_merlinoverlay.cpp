// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/merlinoverlay.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

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
} // namespace

Q_DECLARE_METATYPE(State)

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
        QTest::newRow("mouth opens") << State{} << State{{}, 0, MouthShape::Open};
        QTest::newRow("balloon grows") << talking << longer;
        QTest::newRow("balloon shrinks") << longer << talking;
        QTest::newRow("arm moves") << State{QStringLiteral("Greet"), 0.42} << State{QStringLiteral("Greet"), 0.6};
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
        const QImage got = stepwise.frame();
        const QImage want = fresh.frame();
        QCOMPARE(got.size(), want.size());
        // Clipped and whole drawing may round a blended edge by a unit; a
        // stale pixel is off by far more.
        for (int y = 0; y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x)
                for (const int shift : {0, 8, 16, 24})
                    if (qAbs(int(got.pixel(x, y) >> shift & 0xff) - int(want.pixel(x, y) >> shift & 0xff)) > 2)
                        QFAIL(qPrintable(QStringLiteral("wrong pixel at %1,%2").arg(x).arg(y)));
    }

    // Merlin is part of the host: placed from its window's frame, never a
    // window of his own, never taking a key or a click from the controls.
    void standsInHostWithoutTakingInput()
    {
        // The host goes first, as the game's window does at the end.
        MerlinOverlay merlin;
        QWidget host;
        auto *answer = new QLineEdit(&host);
        auto *button = new QPushButton(&host); // under his figure
        button->setGeometry(300, 200, 60, 40);
        host.show();
        QVERIFY(QTest::qWaitForWindowActive(&host));
        answer->setFocus();
        merlin.setHost(host, QPoint(1, 39));
        merlin.setTopLeft(QPoint(250, 175));
        merlin.setOpacity(1);
        QWidget *view = merlin.view();
        QVERIFY(view && view->isVisible() && !view->isWindow());
        QCOMPARE(view->geometry().topLeft(), QPoint(249, 136));
        QVERIFY(view->geometry().contains(button->geometry()));

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("21"));
        QCOMPARE(answer->text(), QStringLiteral("21"));
        QSignalSpy clicked(button, &QPushButton::clicked);
        QTest::mouseClick(host.windowHandle(), Qt::LeftButton, {}, button->geometry().center());
        QCOMPARE(clicked.count(), 1);
    }
};

QTEST_MAIN(TestMerlinOverlay)
#include "tst_merlinoverlay.moc"
