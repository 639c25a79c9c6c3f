#pragma once

#include "app/tavola.h"
#include "app/vbbutton.h"
#include "app/vblabel.h"
#include "memoryrecordstore.h"
#include "recordingagent.h"
#include "recordingdialogs.h"
#include "scriptedrandom.h"

#include <QLineEdit>

// A window wired to recording doubles.
struct Fixture {
    RecordingAgent agent;
    MemoryRecordStore store;
    RecordingDialogs dialogs;
    ScriptedRandom random;
    int ends = 0;
    Tavola tavola{TavolaServices{agent, store, dialogs, random, [this] { ++ends; }}};

    VbLabel *label(const char *name) const { return tavola.findChild<VbLabel *>(QLatin1String(name)); }
    QLineEdit *box(const char *name) const { return tavola.findChild<QLineEdit *>(QLatin1String(name)); }
    VbButton *button(const char *name) const { return tavola.findChild<VbButton *>(QLatin1String(name)); }
    QString caption(const char *name) const { return label(name)->caption(); }

    // Asks a question with the given shade and factor.
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
