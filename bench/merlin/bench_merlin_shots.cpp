// SPDX-License-Identifier: GPL-3.0-or-later
// Screenshots of Merlin for docs/: idle, each animation at a telling moment,
// and speaking with his balloon, over a plain stand-in for the main window.
// Run under xvfb-run: bench_merlin_shots OUTPUT_DIR
#include "merlin/merlinoverlay.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QVBoxLayout>

#include <cstdio>

namespace {
void waitMs(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.exists()) {
        std::fprintf(stderr, "no such folder: %s\n", argv[1]);
        return 2;
    }

    QWidget backdrop;
    backdrop.setStyleSheet(QStringLiteral("background: #e8f1ff;"));
    auto *layout = new QVBoxLayout(&backdrop);
    auto *title = new QLabel(QStringLiteral("La tabellina del 3"), &backdrop);
    title->setStyleSheet(QStringLiteral("font-size: 28px; color: #123;"));
    layout->addWidget(title, 0, Qt::AlignTop | Qt::AlignHCenter);
    layout->addStretch();
    layout->addWidget(new QLineEdit(&backdrop));
    backdrop.setGeometry(150, 100, 760, 560);
    backdrop.show();

    MerlinOverlay merlin;
    merlin.setHost(backdrop, QPoint(150, 100));
    merlin.setCharacterHeight(205);
    merlin.setTopLeft(QPoint(250, 175));
    merlin.freezeIdleAt(1000);
    merlin.setOpacity(1);
    waitMs(800);

    struct Shot {
        const char *file;
        const char *animation;
        qreal progress;
        MouthShape mouth;
        const char *balloon;
    };
    const Shot shots[] = {
        {"merlin-idle.png", "", 0, MouthShape::Rest, ""},
        {"merlin-announce.png", "Announce", 0.5, MouthShape::Rest, ""},
        {"merlin-greet.png", "Greet", 0.42, MouthShape::Rest, ""},
        {"merlin-congratulate.png", "congratulate", 0.25, MouthShape::Rest, ""},
        {"merlin-domagic1.png", "domagic1", 0.6, MouthShape::Rest, ""},
        {"merlin-domagic2.png", "domagic2", 0.6, MouthShape::Rest, ""},
        {"merlin-speaking.png", "", 0, MouthShape::Wide, "3 per sette"},
        {"merlin-speaking-long.png", "", 0, MouthShape::Round,
         "Allora attenzione, iniziamo la nostra avventura con la tabellina del 3. Io detto e tu scrivi il "
         "risultato nello spazio sotto di me"},
    };
    int failures = 0;
    for (const Shot &shot : shots) {
        merlin.setAnimation(QString::fromLatin1(shot.animation), shot.progress);
        merlin.setMouth(shot.mouth);
        merlin.setBalloon(QString::fromUtf8(shot.balloon));
        waitMs(400);
        const QRect area = QRect(merlin.view()->mapToGlobal(QPoint(0, 0)), merlin.view()->size()).adjusted(-30, -30, 30, 30);
        const QPixmap grab = backdrop.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        const QString path = out.filePath(QString::fromLatin1(shot.file));
        if (grab.isNull() || !grab.save(path)) {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            ++failures;
        } else {
            std::printf("%s\n", qPrintable(path));
        }
    }
    return failures == 0 ? 0 : 1;
}
