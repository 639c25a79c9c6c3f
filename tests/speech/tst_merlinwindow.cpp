// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/merlinwindow.h"

#include <QTest>

namespace {
struct State {
    QString animation;
    qreal progress = 0;
    MouthShape mouth = MouthShape::Rest;
    QString balloon;
    qreal opacity = 1;
};

void apply(MerlinWindow &window, const State &state)
{
    window.setAnimation(state.animation, state.progress);
    window.setMouth(state.mouth);
    window.setBalloon(state.balloon);
    window.setOpacity(state.opacity);
    window.freezeIdleAt(1000);
    window.renderPending();
}
} // namespace

Q_DECLARE_METATYPE(State)

// What the window draws step by step must be what it would draw from
// scratch; without a compositor it is shaped, and the shape follows.
class TestMerlinWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void partialRedrawMatchesFullDrawing_data()
    {
        QTest::addColumn<bool>("compositing");
        QTest::addColumn<State>("before");
        QTest::addColumn<State>("after");
        const State talking{{}, 0, MouthShape::Wide, QStringLiteral("3 per sette")};
        const State longer{{}, 0, MouthShape::Round, QStringLiteral("3 per sette fa ventuno, bravissimo, continua così")};
        const State greeting{QStringLiteral("Greet"), 0.42};
        for (const bool compositing : {true, false}) {
            const char *mode = compositing ? "composited" : "shaped";
            QTest::addRow("%s, mouth opens", mode) << compositing << State{} << State{{}, 0, MouthShape::Open};
            QTest::addRow("%s, balloon grows", mode) << compositing << talking << longer;
            QTest::addRow("%s, balloon shrinks", mode) << compositing << longer << talking;
            QTest::addRow("%s, arm moves", mode) << compositing << greeting << State{greeting.animation, 0.6};
            QTest::addRow("%s, fade in", mode) << compositing << State{{}, 0, {}, {}, 0.4} << talking;
        }
    }
    void partialRedrawMatchesFullDrawing()
    {
        QFETCH(bool, compositing);
        QFETCH(State, before);
        QFETCH(State, after);
        MerlinWindow stepwise([compositing] { return compositing; });
        MerlinWindow fresh([compositing] { return compositing; });
        apply(stepwise, before);
        apply(stepwise, after);
        apply(fresh, after);
        QCOMPARE(fresh.mask().isEmpty(), compositing);
        QVERIFY((stepwise.mask() ^ fresh.mask()).isEmpty());
        // Composited, clipped and whole drawing may round a blended edge by a
        // unit; a stale pixel is off by far more. Shaped, nothing blends: each
        // pixel is cut out or opaque (no dark fringe), and the shape must match.
        const auto wrong = [compositing](QRgb a, QRgb b) {
            if (!compositing)
                return qAlpha(a) % 255 != 0 || qAlpha(b) % 255 != 0;
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
};

QTEST_MAIN(TestMerlinWindow)
#include "tst_merlinwindow.moc"
