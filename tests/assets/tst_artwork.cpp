#include <algorithm>

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
    QImage image(renderer.defaultSize() * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

void TestArtwork::opensAndDraws_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("size");
    for (const char *file : {"zorvali.svg", "stopwatch.svg", "smiley-normal.svg", "smiley-pressed.svg",
                             "smiley-disabled.svg", "noentry.svg"})
        QTest::newRow(file) << QString::fromLatin1(file) << 32;
    QTest::newRow("pointer.svg") << QStringLiteral("pointer.svg") << 48;
}

void TestArtwork::opensAndDraws()
{
    QFETCH(QString, file);
    QFETCH(int, size);
    const QSvgRenderer renderer(QStringLiteral(":/zorvali/") + file);
    QVERIFY(renderer.isValid());
    QCOMPARE(renderer.defaultSize(), QSize(size, size));

    // A picture that parses but draws nothing (an unsupported element, a
    // misplaced view box) leaves an empty button; one that fills its whole
    // box has been cut off at the edges.
    for (const int scale : {1, 2}) {
        const QImage alpha = render(file, scale).convertToFormat(QImage::Format_Alpha8);
        const auto opaque = std::count(alpha.constBits(), alpha.constBits() + alpha.sizeInBytes(), 255);
        QVERIFY2(opaque * 8 >= alpha.sizeInBytes() && opaque < alpha.sizeInBytes(), qPrintable(QString::number(scale)));
    }
}

void TestArtwork::smileyStatesDiffer()
{
    const QImage normal = render(QStringLiteral("smiley-normal.svg"), 1);
    const QImage pressed = render(QStringLiteral("smiley-pressed.svg"), 1);
    const QImage disabled = render(QStringLiteral("smiley-disabled.svg"), 1);
    QVERIFY(normal != pressed && normal != disabled && pressed != disabled);
}

QTEST_GUILESS_MAIN(TestArtwork)
#include "tst_artwork.moc"
