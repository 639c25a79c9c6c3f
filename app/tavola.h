#pragma once

#include "countdown/countdown.h"
#include "drill/int16.h"

#include <QMainWindow>

#include <functional>

class AgentControl;
class Character;
class AnswerBox;
class Dialogs;
class QLineEdit;
class QPushButton;
class QTimer;
class RandomSource;
class RecordStore;
class Surface;
class VbButton;
class VbLabel;
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

// The game's one window. Controls are named children (findChild by name);
// their captions and texts carry the game's state, as the handlers expect.
class Tavola final : public QMainWindow {
    Q_OBJECT

public:
    static constexpr int kClientWidth = 785;
    static constexpr int kClientHeight = 556;

    explicit Tavola(const TavolaServices &services, QWidget *parent = nullptr);
    ~Tavola() override;

    // Start-up: before the window is first shown, then at its first showing.
    void Form_Load();
    void Form_Activate();

    void cmdNext_Click();
    void Command3_Click();
    void Text3_KeyPress(char16_t charCode);
    void cmdExit1_Click();
    void Timer1_Timer();
    void ResetCountdown();

    // The session asked the program to end (logout, SIGTERM): a beaten
    // record is saved without any box, then the program ends.
    void saveOnTermination();

    Int16 rightAnswers() const { return m_rightAnswers; }
    Int16 wrongAnswers() const { return m_wrongAnswers; }
    Int16 backgroundShade() const { return m_backgroundShade; }
    Int16 secondFactor() const { return m_secondFactor; }
    QString windowsDir() const { return m_windowsDir; }
    Surface *surface() const { return m_surface; }
    bool hasEnded() const { return m_ended; }

    // The caption's leading blanks centre the name in the title bar.
    static QString titleCaption();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void buildMenu();
    void setQuestionLabelsVisible(bool visible);
    void setScores();
    void bringUpCharacter();
    // Runs Merlin's part of a handler, if he is there.
    void withMerlin(const char *handler, const std::function<void(Character &)> &steps);
    void showVerdict(const QColor &color, const QString &verdict);
    void readRecord();
    void fitRecordName();
    void endProgram();
    SaveOutcome saveBeatenRecord(double record);
    // Runs one event handler; an error it raises is presented, not hidden,
    // and the event loop goes on. False when it failed or did not run.
    bool runHandler(const char *name, const std::function<void()> &handler);
    void presentRuntimeError(const char *handler, const QString &what);

    TavolaServices m_services;

    Surface *m_surface = nullptr;
    AnswerBox *Text3 = nullptr;
    VbButton *cmdNext = nullptr;
    VbButton *cmdExit1 = nullptr;
    VbLabel *lblMessage = nullptr;
    VbLabel *lblNum1 = nullptr;
    VbLabel *Label10 = nullptr;
    VbLabel *lblNum2 = nullptr;
    VbLabel *lblconto = nullptr;
    VbLabel *lblScore = nullptr;
    VbLabel *lblScore1 = nullptr;
    VbLabel *lblScore2 = nullptr;
    VbLabel *lblnome1 = nullptr;
    VbLabel *lblnome = nullptr;
    VbLabel *lblpunti = nullptr;
    VbLabel *Label13 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Txtnome1 = nullptr;
    QPushButton *Command3 = nullptr;
    QTimer *Timer1 = nullptr;

    Int16 m_firstFactor;
    Int16 m_secondFactor;
    Int16 m_backgroundShade;
    Int16 m_rightAnswers;
    Int16 m_wrongAnswers;
    Countdown m_countdown;
    QString m_windowsDir;

    bool m_activated = false;
    bool m_startedUp = false;
    bool m_merlinMissing = false;
    bool m_exiting = false;
    bool m_ended = false;
};
