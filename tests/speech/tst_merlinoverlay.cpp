// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/merlinoverlay.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace {
struct State {
    QString animation{};
    qreal progress = 0;
    MouthShape mouth = MouthShape::Rest;
    QString balloon{};
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

class TestMerlinOverlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Only what changed is redrawn; a part left out is a stale picture
    // before the child's eyes. Each step must look as if drawn from scratch.
    void partialRedrawMatchesFullDrawing()
    {
        const State talking{.mouth = MouthShape::Wide, .balloon = QStringLiteral("3 per sette")};
        const State steps[] = {{}, {.mouth = MouthShape::Open}, talking,
                               {.mouth = MouthShape::Round, .balloon = QStringLiteral("3 per sette fa ventuno, bravo")},
                               talking, {.animation = QStringLiteral("Greet"), .progress = 0.42},
                               {.animation = QStringLiteral("Greet"), .progress = 0.6}, {.opacity = 0.4}, talking};
        // Clipped and whole drawing may round a blended edge by a unit; a
        // stale pixel is off by far more.
        const auto close = [](uchar a, uchar b) { return qAbs(a - b) <= 2; };
        MerlinOverlay stepwise;
        for (const State &step : steps) {
            MerlinOverlay fresh;
            apply(stepwise, step);
            apply(fresh, step);
            const QImage &got = stepwise.frame();
            QVERIFY2(got.size() == fresh.frame().size()
                         && std::equal(got.bits(), got.bits() + got.sizeInBytes(), fresh.frame().bits(), close),
                     qPrintable(QStringLiteral("step %1").arg(&step - steps)));
        }
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
        const QWidget *view = merlin.view();
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
