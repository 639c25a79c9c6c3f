// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/tavola.h"
#include "app/vbbutton.h"
#include "app/vblabel.h"
#include "record/filerecordstore.h"
#include "recordingagent.h"
#include "recordingdialogs.h"
#include "scriptedrandom.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

// A window wired to recording doubles and to real record files in a
// temporary $XDG_DATA_HOME.
struct Fixture {
    QTemporaryDir dataHome;
    RecordingAgent agent;
    FileRecordStore store;
    RecordingDialogs dialogs;
    ScriptedRandom random;
    int ends = 0;
    Tavola tavola{TavolaServices{agent, store, dialogs, random, [this] { ++ends; }}};

    Fixture() { qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit()); }

    VbLabel *label(const char *name) const { return tavola.findChild<VbLabel *>(QLatin1String(name)); }
    QLineEdit *box(const char *name) const { return tavola.findChild<QLineEdit *>(QLatin1String(name)); }
    VbButton *button(const char *name) const { return tavola.findChild<VbButton *>(QLatin1String(name)); }
    QString caption(const char *name) const { return label(name)->caption(); }

    QString recordPath(const char *file) const { return dataHome.filePath(QStringLiteral("zorvali/")) + file; }
    QByteArray recordFile(const char *file) const
    {
        QFile f(recordPath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    bool writeRecordFile(const char *file, const QByteArray &bytes) const
    {
        QFile f(recordPath(file));
        return QDir().mkpath(dataHome.filePath(QStringLiteral("zorvali"))) && f.open(QIODevice::WriteOnly)
               && f.write(bytes) == bytes.size();
    }

    void ask(int shade, int factor)
    {
        random.numbers = ScriptedRandom::drawing(shade, factor);
        tavola.cmdNext_Click();
    }
    // Types `typed` and judges it, as the hidden check button would.
    void answer(const QString &typed)
    {
        box("Text3")->setText(typed);
        tavola.Command3_Click();
    }
    void answerRight() { answer(box("Text7")->text()); }
};
