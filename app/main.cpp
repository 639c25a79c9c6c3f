// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"
#include "app/messageboxes.h"
#include "app/picture.h"
#include "app/tavola.h"
#include "drill/clockrandom.h"
#include "merlin/merlinagent.h"
#include "record/filerecordstore.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <QSocketNotifier>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the window saves from the event loop.
    [[maybe_unused]] const auto written = ::write(g_terminationPipe[0], &byte, 1);
}

const char kUsageLine[] = "Uso: zorvali [--help] [--version] [opzioni di Qt]";

void printUsage()
{
    std::puts(kUsageLine);
    std::puts("\n"
              "La tabellina del 3 con il mago Merlin: Merlin fa le domande,\n"
              "tu scrivi il risultato e premi Invio. Il record viene salvato in\n"
              "$XDG_DATA_HOME/zorvali (di solito ~/.local/share/zorvali).\n"
              "\n"
              "  --help     mostra questo aiuto ed esce\n"
              "  --version  mostra la versione ed esce\n"
              "\n"
              "Accetta anche le opzioni comuni dei programmi Qt (-platform, -display,\n"
              "-style, -session...).");
}

// QApplication ends the process when no display can be reached; say so
// plainly first.
bool displayAvailable(const CommandLine &line)
{
    if (line.screenGiven)
        return true;
    const char *platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value && *value;
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = CommandLine::parse(arguments);
    switch (line.action) {
    case CommandLine::Action::Help:
        printUsage();
        return 0;
    case CommandLine::Action::Version:
        std::printf("zorvali %s\n", ZORVALI_VERSION);
        return 0;
    case CommandLine::Action::Wrong:
        std::fprintf(stderr, "zorvali: %s\n%s\n(vedi zorvali --help)\n", qPrintable(line.error), kUsageLine);
        return 2;
    case CommandLine::Action::Play:
        break;
    }
    if (!displayAvailable(line)) {
        std::fputs("zorvali: nessuno schermo disponibile (DISPLAY non impostato): avvia Zorvali dal desktop.\n",
                   stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // The boxes' own buttons ("Annulla") speak Italian like the rest.
    QTranslator qtItalian;
    if (qtItalian.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtItalian);
    QApplication::setApplicationName(QStringLiteral("zorvali"));
    QApplication::setApplicationVersion(QStringLiteral(ZORVALI_VERSION));
    // The desktop knows the game by its desktop file ("Zorvali", with its
    // icon). No display name is set: Qt would append it to every window
    // title, and the game's title bar shows its caption alone.
    QApplication::setDesktopFileName(QStringLiteral("it.zorvali.Zorvali"));
    QApplication::setWindowIcon(Picture(QStringLiteral(":/zorvali/zorvali.svg")).icon());
    // Only the exit ends the game, not the last box closing.
    QApplication::setQuitOnLastWindowClosed(false);

    MerlinAgent agent;
    FileRecordStore records;
    MessageBoxes dialogs;
    ClockRandom random;
    bool ended = false;
    Tavola tavola({agent, records, dialogs, random, [&ended] {
                       ended = true;
                       QCoreApplication::exit(0);
                   }});

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_terminationPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_terminationPipe[1], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &tavola, [&tavola, notifier] {
            notifier->setEnabled(false);
            tavola.saveOnTermination();
        });
        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
        sigaction(SIGINT, &action, nullptr);
    } else {
        std::perror("zorvali: socketpair");
    }
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &tavola, [&tavola] { tavola.saveOnTermination(); });

    tavola.Form_Load();
    if (ended)
        return 0;
    tavola.show();
    return app.exec();
}
