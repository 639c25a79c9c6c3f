// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/tavolacontrols.h"
#include "countdown/countdown.h"
#include "drill/drill.h"

#include <QMainWindow>

#include <functional>

class AgentControl;
class Dialogs;
class RandomSource;
class RecordStore;
class Surface;
struct SaveOutcome;

// What the window is handed: every side effect beyond its own controls goes
// through one of these, so each handler can be driven and checked headless.
struct TavolaServices {
    AgentControl &agent;
    RecordStore &records;
    Dialogs &dialogs;
    RandomSource &random;
    // Ends the program; the window runs no handler afterwards.
    std::function<void()> endProgram;
};

// The game's one window: start-up, exit and the clock, and the drill shown
// on its controls. Controls are named children (findChild by name).
class Tavola final : public QMainWindow {
    Q_OBJECT

public:
    explicit Tavola(const TavolaServices &services, QWidget *parent = nullptr);
    ~Tavola() override;

    // Start-up: before the window is first shown, then at its first showing.
    void Form_Load();
    void Form_Activate();

    // The drill's handlers, shown on the controls; a handler that stops on
    // an error still shows the steps it did.
    void cmdNext_Click();
    void Command3_Click();
    void Text3_KeyPress(char16_t charCode);

    void cmdExit1_Click();
    void Timer1_Timer();
    void ResetCountdown();

    // The session asked the program to end (logout, SIGTERM): a beaten
    // record is saved without any box, then the program ends.
    void saveOnTermination();

    Surface *surface() const { return m_ui.surface; }

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void connectHandlers();
    // Runs a drill handler on the controls as they are shown, then shows
    // what it left, also when it throws.
    void shown(const std::function<void()> &drillHandler);
    void bringUpCharacter();
    void readRecord();
    void endProgram();
    SaveOutcome saveRecord();
    // Runs one event handler; an error it raises is presented, not hidden,
    // and the event loop goes on. False when it failed or did not run.
    bool runHandler(const char *name, const std::function<void()> &handler);
    void presentRuntimeError(const char *handler, const QString &what);

    TavolaServices m_services;
    TavolaControls m_ui;
    Drill m_drill;
    Countdown m_countdown;
    QString m_windowsDir;

    bool m_activated = false;
    bool m_startedUp = false;
    bool m_exiting = false;
    bool m_ended = false;
};
