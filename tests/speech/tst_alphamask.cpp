#include "speech/alphamask.h"

#include <QImage>
#include <QTest>

// The window's shape follows exactly what is drawn: a pixel left out is cut
// from Merlin, one let in shows as a dark speck on the desktop.
class TestAlphaMask : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outline_data();
    void outline();
};

namespace {
using Pixels = QList<QPoint>;

QImage frameWith(QSize size, qreal dpr, const Pixels &opaque, int alpha)
{
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    frame.setDevicePixelRatio(dpr);
    for (const QPoint &p : opaque)
        frame.setPixel(p, qPremultiply(qRgba(200, 40, 40, alpha)));
    return frame;
}

Pixels block(QRect r)
{
    Pixels pixels;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            pixels << QPoint(x, y);
    return pixels;
}
} // namespace

void TestAlphaMask::outline_data()
{
    QTest::addColumn<QImage>("frame");
    QTest::addColumn<QRegion>("expected");

    QTest::newRow("all transparent") << frameWith({10, 10}, 1, {}, 255) << QRegion();
    QTest::newRow("faintest pixel counts") << frameWith({10, 10}, 1, {{3, 4}}, 1) << QRegion(3, 4, 1, 1);
    QTest::newRow("block") << frameWith({10, 10}, 1, block({2, 3, 4, 5}), 255) << QRegion(2, 3, 4, 5);
    QTest::newRow("edge pixels") << frameWith({10, 10}, 1, {{0, 0}, {9, 9}}, 128)
                                 << (QRegion(0, 0, 1, 1) | QRegion(9, 9, 1, 1));
    QTest::newRow("gap in a row stays out")
        << frameWith({10, 4}, 1, block({0, 1, 3, 2}) + block({6, 1, 4, 2}), 255)
        << (QRegion(0, 1, 3, 2) | QRegion(6, 1, 4, 2));
    QTest::newRow("overlapping shapes")
        << frameWith({12, 12}, 1, block({1, 1, 6, 3}) + block({4, 2, 7, 8}) + block({0, 9, 2, 2}), 255)
        << (QRegion(1, 1, 6, 3) | QRegion(4, 2, 7, 8) | QRegion(0, 9, 2, 2));
    QTest::newRow("device pixel ratio 2") << frameWith({8, 8}, 2, {{5, 5}}, 255) << QRegion(2, 2, 1, 1);
    QTest::newRow("ratio 2, whole logical pixels") << frameWith({8, 8}, 2, block({2, 2, 4, 2}), 255)
                                                   << QRegion(1, 1, 2, 1);
    // A device pixel straddling two logical ones keeps both.
    QTest::newRow("ratio 1.5 straddling pixel") << frameWith({6, 6}, 1.5, {{1, 0}}, 255) << QRegion(0, 0, 2, 1);
    QTest::newRow("odd size at ratio 2") << frameWith({5, 5}, 2, {{4, 4}}, 255) << QRegion(2, 2, 1, 1);

    QImage opaque(4, 3, QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QTest::newRow("no alpha channel: all in") << opaque << QRegion(0, 0, 4, 3);
    QTest::newRow("null frame") << QImage() << QRegion();
}

void TestAlphaMask::outline()
{
    QFETCH(QImage, frame);
    QFETCH(QRegion, expected);
    const QRegion got = AlphaMask::fromImage(frame);
    QVERIFY2((got ^ expected).isEmpty(), qPrintable(QStringLiteral("%1 rects, bounds %2,%3 %4x%5")
                                                        .arg(got.rectCount())
                                                        .arg(got.boundingRect().x())
                                                        .arg(got.boundingRect().y())
                                                        .arg(got.boundingRect().width())
                                                        .arg(got.boundingRect().height())));
}

QTEST_GUILESS_MAIN(TestAlphaMask)
#include "tst_alphamask.moc"
