// SPDX-License-Identifier: GPL-3.0-or-later
// Build-time tool: renders an SVG picture into a square PNG of the given size,
// so the icon theme gets bitmaps drawn by the same renderer the program uses.
//
// Usage: zorvali_iconrender INPUT.svg OUTPUT.png SIZE
// Exits with 0 on success; on any failure prints the reason, leaves no
// partial OUTPUT behind and exits with 1.

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgRenderer>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "zorvali_iconrender: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4)
        return fail(QStringLiteral("usage: zorvali_iconrender INPUT.svg OUTPUT.png SIZE"));

    const QString &input = args.at(1);
    const QString &output = args.at(2);
    bool sizeOk = false;
    const int size = args.at(3).toInt(&sizeOk);
    if (!sizeOk || size < 1 || size > 4096)
        return fail(QStringLiteral("invalid size \"%1\"").arg(args.at(3)));

    if (!QFile::exists(input))
        return fail(QStringLiteral("cannot find %1").arg(input));
    QSvgRenderer renderer(input);
    if (!renderer.isValid())
        return fail(QStringLiteral("%1 is not a valid SVG picture").arg(input));

    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return fail(QStringLiteral("cannot allocate a %1 x %1 image").arg(size));
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter, QRectF(0, 0, size, size));
    }

    // QSaveFile so an interrupted build never leaves a truncated icon that
    // make would then consider up to date.
    QSaveFile file(output);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    if (!image.convertToFormat(QImage::Format_ARGB32).save(&file, "PNG"))
        return fail(QStringLiteral("cannot encode %1 as PNG").arg(output));
    if (!file.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(output, file.errorString()));
    return 0;
}
