#include "speech/compositorprobe.h"
#include "speech/merlinwindow.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>

#include <cstdlib>

// On a real X server, with and without a compositing manager: around
// Merlin the game's window must show through his, never a black box.
// Run through run_with_openbox.sh.
class TestMerlinShape : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void desktopShowsAroundMerlin_data();
    void desktopShowsAroundMerlin();
};

namespace {
const QColor kBackdrop(0x20, 0xc0, 0x40);

bool isBackdrop(QRgb pixel)
{
    return std::abs(qRed(pixel) - kBackdrop.red()) <= 6 && std::abs(qGreen(pixel) - kBackdrop.green()) <= 6
           && std::abs(qBlue(pixel) - kBackdrop.blue()) <= 6;
}

QString describe(QRgb pixel)
{
    return QStringLiteral("#%1").arg(pixel & 0xffffffu, 6, 16, QLatin1Char('0'));
}
} // namespace

void TestMerlinShape::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server; run through run_with_openbox.sh");
}

void TestMerlinShape::desktopShowsAroundMerlin_data()
{
    QTest::addColumn<bool>("compositor");
    QTest::newRow("no compositor") << false;
    QTest::newRow("compositor") << true;
}

void TestMerlinShape::desktopShowsAroundMerlin()
{
    QFETCH(bool, compositor);

    CompositorProbe probe;
    QProcess manager;
    if (compositor) {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("xcompmgr"));
        if (program.isEmpty())
            QSKIP("xcompmgr is not installed");
        manager.start(program, {});
        QVERIFY(manager.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(probe.compositing(), 5000);
    } else {
        QVERIFY2(!probe.compositing(), "a compositing manager is running");
    }

    QWidget game;
    QPalette palette = game.palette();
    palette.setColor(QPalette::Window, kBackdrop);
    game.setPalette(palette);
    game.setAutoFillBackground(true);
    game.setGeometry(100, 100, 900, 560);
    game.show();
    QVERIFY(QTest::qWaitForWindowExposed(&game));

    MerlinWindow merlin;
    merlin.setCharacterHeight(205);
    merlin.setTopLeft(QPoint(250, 175));
    merlin.freezeIdleAt(1000);
    merlin.setBalloon(QStringLiteral("Esatto"));
    merlin.setOpacity(1);
    QVERIFY(QTest::qWaitForWindowExposed(&merlin));
    QTest::qWait(800);

    const QRect frame = merlin.geometry();
    const QImage screen = merlin.screen()->grabWindow(0).toImage();
    QVERIFY(screen.rect().contains(frame));
    const auto at = [&](int x, int y) { return screen.pixel(frame.topLeft() + QPoint(x, y)); };

    const int w = frame.width();
    const int h = frame.height();
    for (const QPoint corner : {QPoint(2, 2), QPoint(w - 3, 2), QPoint(2, h - 3), QPoint(w - 3, h - 3)})
        QVERIFY2(isBackdrop(at(corner.x(), corner.y())),
                 qPrintable(QStringLiteral("corner %1,%2 is %3").arg(corner.x()).arg(corner.y()).arg(describe(
                     at(corner.x(), corner.y())))));

    // Across his middle: the desktop up to his outline, then Merlin.
    const QRectF figure = merlin.figureRect();
    const int y = qRound(figure.center().y());
    int first = -1;
    for (int x = 0; x < w && first < 0; ++x)
        if (!isBackdrop(at(x, y)))
            first = x;
    QVERIFY2(first >= 0, "Merlin is not on screen");
    QVERIFY2(first >= qFloor(figure.left()) - 2,
             qPrintable(QStringLiteral("his window covers the game from x %1, his outline starts at %2")
                            .arg(first)
                            .arg(figure.left())));
    QVERIFY(isBackdrop(at(first - 2, y)));
    QCOMPARE(merlin.mask().isEmpty(), compositor);

    if (manager.state() != QProcess::NotRunning) {
        manager.terminate();
        QVERIFY(manager.waitForFinished(5000));
    }
}

QTEST_MAIN(TestMerlinShape)
#include "tst_merlinshape.moc"
