// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks of the game. Besides --help and --version it
// takes the options every Qt program takes (-platform, -display, -style,
// -session, ...), which are left for Qt to act on: a session manager
// restarts a program at login with -session, and the game starts afresh.
struct CommandLine {
    enum class Action { Play, Help, Version, Wrong };

    Action action = Action::Play;
    // Why the command line was refused, for Action::Wrong.
    QString error;
    // -platform or -display: the screen is named on the command line.
    bool screenGiven = false;

    // `arguments` without the program's own name; the first of --help and
    // --version decides, unless a wrong argument comes before it.
    static CommandLine parse(const QStringList &arguments);
};
