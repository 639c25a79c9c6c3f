// SPDX-License-Identifier: GPL-3.0-or-later
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

#include <algorithm>

class TestArtwork : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Opened from the linked library's resources alone, as the window opens
    // them. A picture that draws nothing leaves an empty button; one that
    // fills its whole box has been cut off at the edges.
    void opensAndDraws()
    {
        for (const char *file : {"zorvali.svg", "stopwatch.svg", "smiley-normal.svg", "smiley-pressed.svg",
                                 "smiley-disabled.svg", "noentry.svg", "pointer.svg"}) {
            QSvgRenderer renderer(QStringLiteral(":/zorvali/") + QLatin1String(file));
            QImage image(renderer.defaultSize(), QImage::Format_Alpha8);
            image.fill(0);
            QPainter painter(&image);
            renderer.render(&painter);
            painter.end();
            const auto opaque = std::count(image.constBits(), image.constBits() + image.sizeInBytes(), 255);
            QVERIFY2(renderer.isValid() && opaque > 0 && opaque < image.sizeInBytes(), file);
        }
    }
};

QTEST_GUILESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
