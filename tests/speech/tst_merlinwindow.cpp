#include "speech/merlinwindow.h"

#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <memory>

// What the window draws step by step must be what it would draw from
// scratch, and without a compositor its shape must follow the drawing.
class TestMerlinWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void partialRedrawMatchesFullDrawing_data();
    void partialRedrawMatchesFullDrawing();
    void shapedOnlyWithoutCompositor_data();
    void shapedOnlyWithoutCompositor();
    void shapeFollowsBalloon();
    void compositorLeavingIsNoticed();
};

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
    window.renderPending();
}

std::unique_ptr<MerlinWindow> makeWindow(bool compositing)
{
    auto window = std::make_unique<MerlinWindow>([compositing] { return compositing; });
    window->freezeIdleAt(1000);
    return window;
}
} // namespace

Q_DECLARE_METATYPE(State)

void TestMerlinWindow::partialRedrawMatchesFullDrawing_data()
{
    QTest::addColumn<bool>("compositing");
    QTest::addColumn<State>("before");
    QTest::addColumn<State>("after");

    const State idle;
    State talking;
    talking.mouth = MouthShape::Wide;
    talking.balloon = QStringLiteral("3 per sette");
    State longer = talking;
    longer.mouth = MouthShape::Round;
    longer.balloon = QStringLiteral("3 per sette fa ventuno, bravissimo, continua così che diventi un mago");
    State greeting;
    greeting.animation = QStringLiteral("Greet");
    greeting.progress = 0.42;
    State greetingOn = greeting;
    greetingOn.progress = 0.6;
    greetingOn.mouth = MouthShape::Open;
    State fading;
    fading.opacity = 0.4;
    State open;
    open.mouth = MouthShape::Open;

    for (const bool compositing : {true, false}) {
        const char *const mode = compositing ? "composited, " : "shaped, ";
        // newRow copies the name, so the temporary may go once it returns.
        const auto name = [&](const char *change) { return QByteArray(mode) + change; };
        QTest::newRow(name("mouth opens").constData()) << compositing << idle << open;
        QTest::newRow(name("balloon appears").constData()) << compositing << idle << talking;
        QTest::newRow(name("balloon grows").constData()) << compositing << talking << longer;
        QTest::newRow(name("balloon shrinks").constData()) << compositing << longer << talking;
        QTest::newRow(name("balloon goes").constData()) << compositing << longer << idle;
        QTest::newRow(name("arm moves").constData()) << compositing << greeting << greetingOn;
        QTest::newRow(name("animation ends").constData()) << compositing << greetingOn << idle;
        QTest::newRow(name("fade in").constData()) << compositing << fading << talking;
    }
}

void TestMerlinWindow::partialRedrawMatchesFullDrawing()
{
    QFETCH(bool, compositing);
    QFETCH(State, before);
    QFETCH(State, after);

    const auto stepwise = makeWindow(compositing);
    apply(*stepwise, before);
    apply(*stepwise, after);
    const auto fresh = makeWindow(compositing);
    apply(*fresh, after);

    const QImage got = stepwise->frame();
    const QImage want = fresh->frame();
    QCOMPARE(got.size(), want.size());
    QVERIFY(!want.isNull());
    if (!compositing) {
        // Faint edges made opaque magnify rounding: here the shape is what
        // must match, the colours are checked in the composited rows.
        QVERIFY(((stepwise->mask() ^ fresh->mask())).isEmpty());
        return;
    }
    // Clipped and whole drawing may round a blended edge differently by a
    // unit; a stale pixel is off by far more.
    const auto close = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2
               && std::abs(qBlue(a) - qBlue(b)) <= 2 && std::abs(qAlpha(a) - qAlpha(b)) <= 2;
    };
    for (int y = 0; y < want.height(); ++y)
        for (int x = 0; x < want.width(); ++x)
            if (!close(got.pixel(x, y), want.pixel(x, y)))
                QFAIL(qPrintable(QStringLiteral("stale pixel at %1,%2: %3 instead of %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(got.pixel(x, y), 8, 16)
                                     .arg(want.pixel(x, y), 8, 16)));
}

void TestMerlinWindow::shapedOnlyWithoutCompositor_data()
{
    QTest::addColumn<bool>("compositing");
    QTest::newRow("compositor") << true;
    QTest::newRow("no compositor") << false;
}

void TestMerlinWindow::shapedOnlyWithoutCompositor()
{
    QFETCH(bool, compositing);
    const auto window = makeWindow(compositing);
    apply(*window, State{});
    QVERIFY(window->isVisible());
    if (compositing) {
        QVERIFY(window->mask().isEmpty());
        return;
    }
    const QRegion shape = window->mask();
    const QRectF figure = window->figureRect();
    QVERIFY(shape.contains(figure.center().toPoint()));
    QVERIFY(!shape.contains(QPoint(1, 1)));
    QVERIFY(!shape.contains(QPoint(window->width() - 2, window->height() - 2)));
    QVERIFY(shape.boundingRect().width() < window->width() / 2);
}

void TestMerlinWindow::shapeFollowsBalloon()
{
    const auto window = makeWindow(false);
    State talking;
    talking.balloon = QStringLiteral("Esatto");
    apply(*window, State{});
    const QRegion silent = window->mask();
    apply(*window, talking);
    const QRegion speaking = window->mask();
    QVERIFY(speaking.boundingRect().right() > window->figureRect().right() + 20);
    QVERIFY(!(speaking - silent).isEmpty());
    apply(*window, State{});
    QVERIFY((window->mask() ^ silent).isEmpty());
}

void TestMerlinWindow::compositorLeavingIsNoticed()
{
    bool compositing = true;
    MerlinWindow window([&compositing] { return compositing; });
    window.freezeIdleAt(1000);
    apply(window, State{});
    QVERIFY(window.mask().isEmpty());
    compositing = false;
    QTest::qWait(MerlinWindow::kFrameMs + 1000);
    State talking;
    talking.mouth = MouthShape::Open;
    apply(window, talking);
    QVERIFY(!window.mask().isEmpty());
    compositing = true;
    QTest::qWait(MerlinWindow::kFrameMs + 1000);
    apply(window, State{});
    QVERIFY(window.mask().isEmpty());
}

QTEST_MAIN(TestMerlinWindow)
#include "tst_merlinwindow.moc"
