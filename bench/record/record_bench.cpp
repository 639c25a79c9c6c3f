// SPDX-License-Identifier: GPL-3.0-or-later
// Times the whole record save (compare under the lock, write, sync, rename)
// over many saves in a scratch directory, and prints median and worst.
//   record_bench [SAVES] [PARENT_DIR]
// PARENT_DIR picks the disk measured; the default temporary location may be
// memory-backed, where syncing costs nothing.

#include "record/filerecordstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int saves = args.size() > 1 ? args[1].toInt() : 200;
    const QTemporaryDir scratch = args.size() > 2 ? QTemporaryDir(args[2] + "/record_bench-XXXXXX") : QTemporaryDir();
    if (saves < 1 || !scratch.isValid()) {
        std::fprintf(stderr, "record_bench: no scratch directory or bad count\n");
        return 1;
    }

    FileRecordStore store(scratch.path());
    const QString dir = store.GetSystemDir();
    std::vector<double> micros;
    micros.reserve(saves);
    for (int i = 1; i <= saves; ++i) {
        QElapsedTimer clock;
        clock.start();
        const SaveOutcome outcome = store.saveIfBeaten(dir, QString::number(i), QStringLiteral("Niccolò"), QString::number(i - 1));
        micros.push_back(clock.nsecsElapsed() / 1000.0);
        if (outcome.kind != SaveOutcome::Kind::Saved) {
            std::fprintf(stderr, "record_bench: save %d not stored: %s\n", i, qPrintable(outcome.reason));
            return 1;
        }
    }
    std::sort(micros.begin(), micros.end());
    std::printf("record save in %s, %d saves: median %.1f us, p90 %.1f us, worst %.1f us\n",
                qPrintable(dir), saves, micros[micros.size() / 2], micros[micros.size() * 9 / 10], micros.back());
    return 0;
}
