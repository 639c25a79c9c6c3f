#include <QColor>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTest>

// Each picture is opened from the resources of the linked library alone, with
// no explicit resource initialisation, exactly as the window will open it.
class TestArtwork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensAndDraws_data();
    void opensAndDraws();
    void smileyStatesDiffer();
};

static QImage render(const QString &file, int scale)
{
    QSvgRenderer renderer(QStringLiteral(":/zorvali/") + file);
    if (!renderer.isValid())
        return {};
    QImage image(renderer.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

void TestArtwork::opensAndDraws_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::newRow("window icon") << QStringLiteral("zorvali.svg") << QSize(32, 32);
    QTest::newRow("mouse pointer") << QStringLiteral("pointer.svg") << QSize(48, 48);
    QTest::newRow("stopwatch") << QStringLiteral("stopwatch.svg") << QSize(32, 32);
    QTest::newRow("smiley at rest") << QStringLiteral("smiley-normal.svg") << QSize(32, 32);
    QTest::newRow("smiley pressed") << QStringLiteral("smiley-pressed.svg") << QSize(32, 32);
    QTest::newRow("smiley disabled") << QStringLiteral("smiley-disabled.svg") << QSize(32, 32);
    QTest::newRow("no-entry sign") << QStringLiteral("noentry.svg") << QSize(32, 32);
}

void TestArtwork::opensAndDraws()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    const QSvgRenderer renderer(QStringLiteral(":/zorvali/") + file);
    QVERIFY2(renderer.isValid(), qPrintable(file));
    QCOMPARE(renderer.defaultSize(), size);
    QCOMPARE(renderer.viewBoxF(), QRectF(QPointF(0, 0), QSizeF(size)));

    // A picture that parses but draws nothing (an element the renderer does
    // not support, a misplaced view box) would leave an empty button; one that
    // fills its whole box has been cut off at the edges.
    for (const int scale : {1, 2}) {
        const QImage image = render(file, scale);
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
        const int area = image.width() * image.height();
        QVERIFY2(opaque * 8 >= area && opaque < area,
                 qPrintable(QStringLiteral("%1 at %2x: %3 of %4 pixels opaque").arg(file).arg(scale).arg(opaque).arg(area)));
    }
}

void TestArtwork::smileyStatesDiffer()
{
    const QImage normal = render(QStringLiteral("smiley-normal.svg"), 1);
    const QImage pressed = render(QStringLiteral("smiley-pressed.svg"), 1);
    const QImage disabled = render(QStringLiteral("smiley-disabled.svg"), 1);
    QVERIFY(normal != pressed);
    QVERIFY(normal != disabled);

    // The disabled face must read as greyed out: far less saturated at its centre.
    const QPoint centre(15, 15);
    QVERIFY(QColor(disabled.pixel(centre)).hsvSaturation() * 2 < QColor(normal.pixel(centre)).hsvSaturation());
}

QTEST_GUILESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
