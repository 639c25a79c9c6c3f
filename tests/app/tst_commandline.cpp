// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/commandline.h"

#include <QTest>

// What the game makes of its command line: Qt's own options, and a
// session manager's -session, start the game; anything else is refused.
class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<CommandLine::Action>("action");
        QTest::addColumn<bool>("screenGiven");
        using A = CommandLine::Action;
        QTest::newRow("nothing") << "" << A::Play << false;
        QTest::newRow("help") << "--help" << A::Help << false;
        QTest::newRow("version after a Qt option") << "-style Fusion --version" << A::Version << false;
        QTest::newRow("session manager's restart") << "-session 10d7c3a9f1000170_1234" << A::Play << false;
        QTest::newRow("platform") << "-platform offscreen" << A::Play << true;
        QTest::newRow("display, two dashes") << "--display :1" << A::Play << true;
        QTest::newRow("style with =") << "-style=Fusion -reverse" << A::Play << false;
        QTest::newRow("window title and geometry") << "-qwindowtitle x -qwindowgeometry 800x600+0+0" << A::Play
                                                   << false;
        QTest::newRow("unknown option") << "--fullscreen" << A::Wrong << false;
        QTest::newRow("= where Qt takes none") << "-platform=offscreen" << A::Wrong << false;
        QTest::newRow("value missing") << "-session" << A::Wrong << false;
        QTest::newRow("wrong before help") << "-x --help" << A::Wrong << false;
        // The value is the option's own, even where it looks like an option.
        QTest::newRow("value like an option") << "-qwindowtitle --help" << A::Play << false;
    }

    void parse()
    {
        QFETCH(QString, arguments);
        QFETCH(CommandLine::Action, action);
        QFETCH(bool, screenGiven);
        const CommandLine line = CommandLine::parse(arguments.split(u' ', Qt::SkipEmptyParts));
        QCOMPARE(line.action, action);
        QCOMPARE(line.screenGiven, screenGiven);
        QCOMPARE(line.error.isEmpty(), action != CommandLine::Action::Wrong);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
