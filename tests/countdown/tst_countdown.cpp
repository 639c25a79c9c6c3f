// SPDX-License-Identifier: GPL-3.0-or-later
#include "countdown/countdown.h"

#include <QTest>

class TestCountdown : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A whole contest, one tick a second, as the window drives it: each tick
    // is handed the label the previous one left.
    void course()
    {
        int tick = 0;
        QList<int> endedAt;
        Countdown countdown([&] { endedAt << tick; });
        countdown.ResetCountdown();
        QString shown = QStringLiteral("00.07.00");
        QStringList seen;
        for (tick = 1; tick <= 421; ++tick) {
            shown = countdown.Timer1_Timer(shown);
            QVERIFY2(!shown.contains(u'-'), qPrintable(shown));
            if (QList<int>{1, 60, 61, 361, 420, 421}.contains(tick))
                seen << shown;
        }
        QCOMPARE(seen, QStringList({"00:06:59", "00:06:00", "00:05:59", "00:00:59", "00:00:00", "00:00:00"}));
        // Only the tick after the one that shows "00:00:00" ends the contest.
        QCOMPARE(endedAt, QList<int>{421});
    }
};

QTEST_GUILESS_MAIN(TestCountdown)
#include "tst_countdown.moc"
