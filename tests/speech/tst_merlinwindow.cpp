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
        // Shaped, the soft edges made opaque magnify rounding: there the shape
        // is what must match. Clipped and whole drawing may round a blended
        // edge by a unit; a stale pixel is off by far more.
        const QImage got = stepwise.frame();
        const QImage want = fresh.frame();
        QCOMPARE(got.size(), want.size());
        for (int y = 0; compositing && y < want.height(); ++y)
            for (int x = 0; x < want.width(); ++x)
                for (const int shift : {0, 8, 16, 24})
                    if (qAbs(int(got.pixel(x, y) >> shift & 0xff) - int(want.pixel(x, y) >> shift & 0xff)) > 2)
                        QFAIL(qPrintable(QStringLiteral("stale pixel at %1,%2").arg(x).arg(y)));
    }
};

QTEST_MAIN(TestMerlinWindow)
#include "tst_merlinwindow.moc"
