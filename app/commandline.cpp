// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

namespace {

// Qt's own options that take the next argument as their value, and those
// that stand alone; Qt takes each with one dash or two.
const QStringList kWithValue{
    QStringLiteral("platform"),   QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
    QStringLiteral("plugin"),     QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
    QStringLiteral("qwindowtitle"), QStringLiteral("session"),          QStringLiteral("display"),
    QStringLiteral("geometry"),   QStringLiteral("title"),              QStringLiteral("icon"),
    QStringLiteral("name"),       QStringLiteral("visual"),             QStringLiteral("style"),
    QStringLiteral("stylesheet"),
};
const QStringList kAlone{QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("sync"),
                         QStringLiteral("nograb"), QStringLiteral("dograb")};
// Those Qt also takes as -option=value.
const QStringList kWithEqualsValue{QStringLiteral("style"), QStringLiteral("stylesheet"),
                                   QStringLiteral("qmljsdebugger")};

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments)
{
    CommandLine line;
    const auto wrong = [&line](const QString &error) {
        line.action = Action::Wrong;
        line.error = error;
        return line;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = Action::Help;
            return line;
        }
        if (argument == QLatin1String("--version")) {
            line.action = Action::Version;
            return line;
        }
        QString option = argument;
        if (option.startsWith(QLatin1String("--")))
            option.remove(0, 1);
        if (!option.startsWith(u'-') || option.size() < 2)
            return wrong(QStringLiteral("opzione sconosciuta: %1").arg(argument));
        option.remove(0, 1);
        if (kAlone.contains(option))
            continue;
        if (const qsizetype equals = option.indexOf(u'='); equals > 0 && kWithEqualsValue.contains(option.left(equals)))
            continue;
        if (!kWithValue.contains(option))
            return wrong(QStringLiteral("opzione sconosciuta: %1").arg(argument));
        if (++i == arguments.size())
            return wrong(QStringLiteral("manca il valore dopo %1").arg(argument));
        if (option == QLatin1String("platform") || option == QLatin1String("display"))
            line.screenGiven = true;
    }
    return line;
}
