// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tavola.h"

#include "app/answerbox.h"
#include "app/dialogs.h"
#include "app/surface.h"
#include "app/vbbutton.h"
#include "app/vblabel.h"
#include "drill/stepforward.h"
#include "record/recordstore.h"
#include "speech/agent.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace {

const QString kMerlin = QStringLiteral("Merlin");

// Control characters would break the one-line record files; nothing else of
// the name is touched.
QString withoutControlCharacters(const QString &name)
{
    QString clean;
    clean.reserve(name.size());
    for (const QChar c : name) {
        const auto category = c.category();
        if (category != QChar::Other_Control && category != QChar::Separator_Line
            && category != QChar::Separator_Paragraph)
            clean += c;
    }
    return clean;
}

// Where the controls' top-left stands from the window's outer frame: past a
// one-pixel border, and below a title bar and the menu bar 39 pixels tall
// together, as a common desktop draws them. Merlin's MoveTo counts from that
// frame; taking it at this size rather than as drawn keeps him at one place
// among the controls on any desktop, Wayland included, where the frame
// cannot be known.
constexpr QPoint kControlsInFrame(1, 39);

// While the window is first shown, and not yet on the screen, screen readers
// hear nothing of its boxes' texts changing: they meet the boxes as the
// window comes up, and a change to a box not met yet was taken for the
// focus, or failed them, when nothing else had the focus.
const QWidget *g_unseenWindow = nullptr;
QAccessible::UpdateHandler g_nextHandler = nullptr;

void tellScreenReaders(QAccessibleEvent *event)
{
    switch (event->type()) {
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
        if (const auto *widget = qobject_cast<const QWidget *>(event->object());
            widget && g_unseenWindow && g_unseenWindow->isAncestorOf(widget))
            return;
        break;
    default:
        break;
    }
    if (g_nextHandler) {
        g_nextHandler(event);
        return;
    }
    // Without a handler of its own the event goes to the platform's bridge.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(tellScreenReaders);
}

class UnseenWindow {
public:
    explicit UnseenWindow(const QWidget &window)
    {
        g_unseenWindow = &window;
        g_nextHandler = QAccessible::installUpdateHandler(tellScreenReaders);
    }
    ~UnseenWindow()
    {
        QAccessible::installUpdateHandler(g_nextHandler);
        g_unseenWindow = nullptr;
        g_nextHandler = nullptr;
    }
    UnseenWindow(const UnseenWindow &) = delete;
    UnseenWindow &operator=(const UnseenWindow &) = delete;
};

} // namespace

Tavola::Tavola(const TavolaServices &services, QWidget *parent)
    : QMainWindow(parent), m_services(services), m_ui(*this),
      m_drill(services.agent, services.random,
              [this](const char *handler, const QString &what) { presentRuntimeError(handler, what); }),
      m_countdown([this] { cmdExit1_Click(); })
{
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_services.agent.setHost(*m_ui.surface, kControlsInFrame);
    connectHandlers();
}

Tavola::~Tavola() = default;

void Tavola::connectHandlers()
{
    m_ui.Text3->onKeyPress = [this](char16_t code) { runHandler("Text3_KeyPress", [&] { Text3_KeyPress(code); }); };
    connect(m_ui.cmdNext, &QAbstractButton::clicked, this,
            [this] { runHandler("cmdNext_Click", [this] { cmdNext_Click(); }); });
    connect(m_ui.Command3, &QPushButton::clicked, this,
            [this] { runHandler("Command3_Click", [this] { Command3_Click(); }); });
    connect(m_ui.cmdExit1, &QAbstractButton::clicked, this,
            [this] { runHandler("cmdExit1_Click", [this] { cmdExit1_Click(); }); });
    connect(m_ui.Timer1, &QTimer::timeout, this, [this] { runHandler("Timer1_Timer", [this] { Timer1_Timer(); }); });
}

void Tavola::shown(const std::function<void()> &drillHandler)
{
    DrillControls &controls = m_drill.controls();
    const auto show = [this, &controls] { m_ui.show(controls); };
    m_ui.read(controls);
    try {
        drillHandler();
    } catch (...) {
        show();
        throw;
    }
    show();
}

void Tavola::cmdNext_Click()
{
    shown([this] { m_drill.cmdNext_Click(); });
}

void Tavola::Text3_KeyPress(char16_t charCode)
{
    shown([this, charCode] { m_drill.Text3_KeyPress(charCode); });
}

void Tavola::Command3_Click()
{
    shown([this] { m_drill.Command3_Click(); });
}

bool Tavola::runHandler(const char *name, const std::function<void()> &handler)
{
    if (m_ended)
        return false;
    try {
        handler();
        return true;
    } catch (const std::exception &error) {
        presentRuntimeError(name, QString::fromUtf8(error.what()));
        return false;
    }
}

void Tavola::presentRuntimeError(const char *handler, const QString &what)
{
    std::fprintf(stderr, "zorvali: errore di esecuzione in %s: %s\n", handler, qPrintable(what));
    // The contest's seven minutes start when start-up is through; a box
    // that holds start-up up does not take them from the child.
    const bool holdClock = !m_startedUp && m_ui.Timer1->isActive();
    if (holdClock)
        m_ui.Timer1->stop();
    m_services.dialogs.MsgBox(QStringLiteral("Errore di esecuzione in %1:\n%2").arg(QLatin1String(handler), what));
    if (holdClock && !m_ended)
        m_ui.Timer1->start();
}

void Tavola::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_activated)
        return;
    // The first showing stands for the window's activation; focus coming
    // back from another program is not one. It runs before the window
    // reaches the screen: the focus its real activation brings to the answer
    // box then brings the first question to a screen reader too.
    m_activated = true;
    {
        const UnseenWindow unseen(*this);
        runHandler("Form_Activate", [this] { Form_Activate(); });
    }
    m_startedUp = true;
}

void Tavola::closeEvent(QCloseEvent *event)
{
    if (m_ended) {
        event->accept();
        return;
    }
    // Closing the window ends the contest the same way as the exit button,
    // so a beaten record is never lost by it.
    event->ignore();
    runHandler("cmdExit1_Click", [this] { cmdExit1_Click(); });
}

void Tavola::Form_Load()
{
    m_drill.resetAnswers();
    const QString name = withoutControlCharacters(m_services.dialogs.InputBox(QStringLiteral("Come ti chiami?")));
    m_services.dialogs.MsgBox(u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "));
    m_ui.lblnome1->setCaption(name);
    if (m_ui.lblnome1->caption().isEmpty())
        m_ui.lblnome1->setCaption(QStringLiteral("Amico"));
    m_ui.Txtnome1->setText(m_ui.lblnome1->caption());
    ResetCountdown();
    m_drill.resetAnswers();
    // Each failing step is reported and the rest still runs: a child can
    // always play, with or without the record line or Merlin.
    runHandler("Form_Load", [this] { readRecord(); });
    m_drill.resetAnswers();
    bringUpCharacter();
    for (QWidget *factor : {m_ui.lblNum1, m_ui.Label10, m_ui.lblNum2})
        factor->hide();
}

void Tavola::readRecord()
{
    m_windowsDir = m_services.records.GetSystemDir();
    // The two files stand apart: one that cannot be made or read still
    // leaves the other on the window. Each file's first failure is kept,
    // and all are reported together.
    struct RecordFile {
        QString path;
        VbLabel *label;
        std::optional<QString> failure;
    };
    std::array files{RecordFile{m_windowsDir + QLatin1String(kPointsFileName), m_ui.lblpunti, {}},
                     RecordFile{m_windowsDir + QLatin1String(kNameFileName), m_ui.lblnome, {}}};
    const auto attempt = [](RecordFile &file, const std::function<void()> &step) {
        try {
            step();
        } catch (const std::exception &error) {
            if (!file.failure)
                file.failure = QString::fromUtf8(error.what());
        }
    };
    for (RecordFile &file : files)
        attempt(file, [&] { m_services.records.createIfMissing(file.path); });
    // A file that could not be created may still be there to read.
    for (RecordFile &file : files)
        attempt(file, [&] { file.label->setCaption(m_services.records.Leggifiletxt(file.path)); });
    m_ui.fitRecordName();
    QStringList failures;
    for (const RecordFile &file : files)
        if (file.failure)
            failures << *file.failure;
    if (!failures.isEmpty())
        throw std::runtime_error(failures.join(u'\n').toStdString());
}

void Tavola::bringUpCharacter()
{
    CharacterCollection &characters = m_services.agent.Characters();
    // A load that reports a fault may still have brought Merlin up (he can
    // go on without his voice): the fetch below decides.
    const bool loaded = runHandler("Form_Load", [&] {
        characters.Load(kMerlin, QStringLiteral("C:\\WINDOWS\\speech\\chars\\Merlin.chr"));
    });
    Character *merlin = nullptr;
    try {
        merlin = &m_services.agent.Characters().Character(kMerlin);
    } catch (const std::exception &error) {
        m_drill.goOnWithoutMerlin();
        if (loaded)
            presentRuntimeError("Form_Load", QString::fromUtf8(error.what()));
        return;
    }
    runHandler("Form_Load", [merlin] {
        stepForward(*merlin, QStringLiteral("Announce"));
        merlin->Speak(QStringLiteral(
            "Allora attenzione, iniziamo la nostra avventura con la tabellina del 3. Io detto e tu scrivi il "
            "risultato nello spazio sotto di me. Mi raccomando inserisci il risultato e premi invio e poi aspetta "
            "che io finisca di parlare e premi ancora invio per avere la domanda successiva"));
    });
}

void Tavola::Form_Activate()
{
    cmdNext_Click();
    m_drill.resetAnswers();
    m_ui.lblconto->setCaption(QStringLiteral("00.07.00"));
}

void Tavola::ResetCountdown()
{
    m_ui.Timer1->start();
    m_countdown.ResetCountdown();
}

void Tavola::Timer1_Timer()
{
    m_ui.lblconto->setCaption(m_countdown.Timer1_Timer(m_ui.lblconto->caption()));
}

void Tavola::cmdExit1_Click()
{
    // Ticks go on while the boxes below are open; none may start a second
    // exit, so the record is written at most once.
    if (m_exiting)
        return;
    m_exiting = true;
    m_services.dialogs.MsgBox(QStringLiteral("Ciao. Ti aspetto per la prossima sfida "));
    if (m_ended)
        return;
    const SaveOutcome outcome = saveRecord();
    if (m_ended)
        return;
    if (outcome.kind == SaveOutcome::Kind::Saved) {
        m_services.dialogs.MsgBox(QStringLiteral("Ok ho registrato il tuo record, C A M P I O N E\""));
    } else if (outcome.kind == SaveOutcome::Kind::Failed) {
        std::fprintf(stderr, "zorvali: record non salvato: %s\n", qPrintable(outcome.reason));
        m_services.dialogs.MsgBox(QStringLiteral("Mi dispiace, non sono riuscito a registrare il tuo record.\n")
                                  + outcome.reason);
    }
    if (!m_ended)
        endProgram();
}

SaveOutcome Tavola::saveRecord()
{
    // The store decides whether the score beats the record, shown or stored.
    return m_services.records.saveIfBeaten(m_windowsDir, m_ui.lblScore->caption(), m_ui.lblnome1->caption(),
                                           m_ui.lblpunti->caption());
}

void Tavola::saveOnTermination()
{
    if (m_ended)
        return;
    if (const SaveOutcome outcome = saveRecord(); outcome.kind == SaveOutcome::Kind::Failed)
        std::fprintf(stderr, "zorvali: record non salvato: %s\n", qPrintable(outcome.reason));
    endProgram();
}

void Tavola::endProgram()
{
    m_ended = true;
    m_ui.Timer1->stop();
    if (m_services.endProgram)
        m_services.endProgram();
}
