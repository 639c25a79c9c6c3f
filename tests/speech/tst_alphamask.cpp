// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/alphamask.h"

#include <QImage>
#include <QTest>

namespace {
// A transparent frame with `opaque` (device pixels) drawn at `alpha`.
QImage frameWith(QSize size, qreal dpr, const QList<QRect> &opaque, int alpha = 255)
{
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::transparent);
    for (const QRect &r : opaque)
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                frame.setPixel(x, y, qPremultiply(qRgba(200, 40, 40, alpha)));
    frame.setDevicePixelRatio(dpr);
    return frame;
}
} // namespace

// The window's shape follows exactly what is drawn: a pixel left out is cut
// from Merlin, one let in shows as a dark speck on the desktop.
class TestAlphaMask : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void outline_data()
    {
        QTest::addColumn<QImage>("frame");
        QTest::addColumn<QRegion>("expected");
        QTest::newRow("all transparent") << frameWith({10, 10}, 1, {}) << QRegion();
        QTest::newRow("faintest pixel counts") << frameWith({10, 10}, 1, {{3, 4, 1, 1}}, 1) << QRegion(3, 4, 1, 1);
        // Gaps within a row, bands that repeat and change, the frame's edges.
        const QList<QRect> shapes{{0, 0, 1, 1}, {1, 1, 3, 3}, {6, 1, 4, 2}, {4, 2, 7, 8}, {0, 9, 2, 2}};
        QRegion union_;
        for (const QRect &r : shapes)
            union_ |= r;
        QTest::newRow("overlapping shapes") << frameWith({11, 11}, 1, shapes, 128) << union_;
        // Equal runs merge only in touching rows; a run that grows starts a band.
        const QList<QRect> steps{{1, 0, 2, 1}, {1, 1, 3, 1}, {1, 3, 3, 1}};
        QTest::newRow("bands") << frameWith({4, 4}, 1, steps)
                               << QRegion(1, 0, 2, 1).united(QRect(1, 1, 3, 1)).united(QRect(1, 3, 3, 1));
        QTest::newRow("ratio 2") << frameWith({8, 8}, 2, {{5, 5, 1, 1}, {2, 0, 4, 2}})
                                 << QRegion(2, 2, 1, 1).united(QRect(1, 0, 2, 1));
        // A device pixel straddling two logical ones keeps both.
        QTest::newRow("ratio 1.5 straddling pixel") << frameWith({6, 6}, 1.5, {{1, 0, 1, 1}}) << QRegion(0, 0, 2, 1);
        QTest::newRow("odd size at ratio 2") << frameWith({5, 5}, 2, {{4, 4, 1, 1}}) << QRegion(2, 2, 1, 1);
        QImage opaque(4, 3, QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QTest::newRow("no alpha channel: all in") << opaque << QRegion(0, 0, 4, 3);
        QTest::newRow("null frame") << QImage() << QRegion();
    }
    void outline()
    {
        QFETCH(QImage, frame);
        QFETCH(QRegion, expected);
        QVERIFY((AlphaMask::fromImage(frame) ^ expected).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAlphaMask)
#include "tst_alphamask.moc"
