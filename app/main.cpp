// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/messageboxes.h"
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
#include <cstring>
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

void printUsage()
{
    std::puts("Uso: zorvali [--help] [--version]\n"
              "\n"
              "La tabellina del 3 con il mago Merlin: Merlin fa le domande,\n"
              "tu scrivi il risultato e premi Invio. Il record viene salvato in\n"
              "$XDG_DATA_HOME/zorvali (di solito ~/.local/share/zorvali).\n"
              "\n"
              "  --help     mostra questo aiuto ed esce\n"
              "  --version  mostra la versione ed esce");
}

// QApplication ends the process when no display can be reached; say so
// plainly first.
bool displayAvailable()
{
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
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printUsage();
            return 0;
        }
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("zorvali %s\n", ZORVALI_VERSION);
            return 0;
        }
        std::fprintf(stderr, "zorvali: opzione sconosciuta: %s (vedi zorvali --help)\n", argv[i]);
        return 2;
    }
    if (!displayAvailable()) {
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
    QApplication::setApplicationDisplayName(QStringLiteral("Zorvali"));
    QApplication::setApplicationVersion(QStringLiteral(ZORVALI_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("it.zorvali.Zorvali"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zorvali/zorvali.svg")));
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
