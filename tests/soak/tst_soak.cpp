// SPDX-License-Identifier: GPL-3.0-or-later
#include "../speech/fakeclock.h"

#include "app/tavola.h"
#include "app/vblabel.h"
#include "drill/clockrandom.h"
#include "record/filerecordstore.h"
#include "recordingdialogs.h"
#include "speech/merlinagent.h"
#include "speech/performer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

// Thousands of questions through the real window, the real character (no
// sound device) and real record files: memory and descriptors stay flat.
class TestSoak : public QObject {
    Q_OBJECT

    // Resident kilobytes and open descriptors.
    static std::pair<long, qsizetype> usage()
    {
        QFile statm(QStringLiteral("/proc/self/statm"));
        const long pages = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ').value(1).toLong() : -1;
        return {pages * (::sysconf(_SC_PAGESIZE) / 1024), QDir(QStringLiteral("/proc/self/fd")).count()};
    }

private Q_SLOTS:
    void thousandsOfQuestions()
    {
        QTemporaryDir data;
        FakeClock clock; // the character's minutes of talking pass at once
        MerlinAgent agent(MerlinAgent::Parts{nullptr, &clock, nullptr, false});
        FileRecordStore records(data.path());
        RecordingDialogs dialogs;
        dialogs.name = QStringLiteral("Soak");
        ClockRandom random;
        Tavola tavola(TavolaServices{agent, records, dialogs, random, {}});
        tavola.Form_Load();
        tavola.show();
        QVERIFY(QTest::qWaitForWindowActive(&tavola));
        // The contest's seven minutes would end the run; this is about volume.
        tavola.findChild<QTimer *>(QStringLiteral("Timer1"))->stop();
        auto *answerBox = tavola.findChild<QLineEdit *>(QStringLiteral("Text3"));
        auto *product = tavola.findChild<QLineEdit *>(QStringLiteral("Text7"));
        // The child waits for Merlin to finish before going on.
        const auto drain = [&] {
            QElapsedTimer patience; // his words are made on another thread
            patience.start();
            while (!agent.performer().idle() && patience.elapsed() < 20000) {
                clock.now += 250;
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                agent.performer().tick();
            }
            return agent.performer().idle();
        };
        QTRY_VERIFY(answerBox->hasFocus());
        QVERIFY(drain());

        std::pair<long, qsizetype> warm;
        int right = 0;
        for (int i = 1; i <= 5000; ++i) {
            const bool wrong = i % 7 == 0;
            right += !wrong;
            QTest::keyClicks(answerBox, wrong ? product->text() + u'0' : product->text());
            QTest::keyClick(answerBox, Qt::Key_Return);
            QVERIFY2(drain(), qPrintable(QStringLiteral("Merlin stuck after answer %1").arg(i)));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY2(drain() && answerBox->hasFocus(), qPrintable(QStringLiteral("question %1").arg(i)));
            if (i == 500)
                warm = usage();
        }
        const auto [kb, descriptors] = usage();
        QVERIFY2(warm.first > 0 && kb - warm.first < 2 * 1024,
                 qPrintable(QStringLiteral("grew by %1 kB").arg(kb - warm.first)));
        QCOMPARE(descriptors, warm.second);
        QCOMPARE(agent.performer().pending(), 0);
        // Every answer was judged: the right ones are all counted.
        QCOMPARE(tavola.findChild<VbLabel *>(QStringLiteral("lblScore"))->caption(), QString::number(right));
        QVERIFY(dialogs.calls.filter(QStringLiteral("Errore")).isEmpty());
        tavola.cmdExit1_Click();
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
