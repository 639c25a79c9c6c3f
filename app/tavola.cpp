#include "app/tavola.h"

#include "app/answerbox.h"
#include "app/dialogs.h"
#include "app/shape.h"
#include "app/surface.h"
#include "app/vbbutton.h"
#include "app/vblabel.h"
#include "drill/drillrules.h"
#include "drill/randomsource.h"
#include "record/recordstore.h"
#include "speech/agent.h"
#include "speech/numlett.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

#include <array>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace {

const QString kMerlin = QStringLiteral("Merlin");

// Positions are laid out in twips; 15 make one pixel at 96 dpi.
constexpr int px(int twips) { return (twips + 7) / 15; }
QRect twips(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

enum class Face { Sans, Serif, Black };

QFont face(Face kind, qreal points, bool bold = false, bool italic = false)
{
    // Metric-compatible stand-ins for the classic Windows faces.
    QFont font(kind == Face::Serif ? QStringLiteral("Liberation Serif") : QStringLiteral("Liberation Sans"));
    font.setStyleHint(kind == Face::Serif ? QFont::Serif : QFont::SansSerif);
    font.setPointSizeF(points);
    font.setWeight(kind == Face::Black ? QFont::Black : bold ? QFont::Bold : QFont::Normal);
    font.setItalic(italic);
    return font;
}

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

const QColor kScrollBarGrey(0xC8, 0xC8, 0xC8);

// The record holder's name shrinks to fit before "con punti", down to the
// smallest face a child still reads.
constexpr qreal kSmallestRecordNamePoints = 8.25;
constexpr int kRecordNameGap = 6;

} // namespace

Tavola::Tavola(const TavolaServices &services, QWidget *parent)
    : QMainWindow(parent), m_services(services), m_countdown([this] { cmdExit1_Click(); })
{
    setObjectName(QStringLiteral("Tavola"));
    setWindowTitle(titleCaption());
    setWindowIcon(QIcon(QStringLiteral(":/zorvali/zorvali.svg")));
    buildMenu();
    buildControls();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

Tavola::~Tavola() = default;

QString Tavola::titleCaption()
{
    return QString(83, u' ') + QStringLiteral("ZORVALI") + QString(31, u' ')
           + QStringLiteral("Scrivici: merlin@zorvali.it") + QString(4, u' ');
}

void Tavola::buildMenu()
{
    // Credits only: choosing an entry does nothing.
    QMenuBar *bar = menuBar();
    QMenu *school = bar->addMenu(QStringLiteral("www.scuolazorvali.it"));
    school->setObjectName(QStringLiteral("mnuScuola"));
    school->addAction(QStringLiteral("Scuola primaria \"Gianni Rodari\" - Zorvali"))->setObjectName(QStringLiteral("is"));
    QMenu *ciao = bar->addMenu(QStringLiteral("Autori"));
    ciao->setObjectName(QStringLiteral("Ciao"));
    ciao->addAction(QStringLiteral("Maestra Anna e maestro Luca - Via dei Tigli 3, Zorvali"))
        ->setObjectName(QStringLiteral("INFOMAZIONI"));
    ciao->addAction(QStringLiteral("merlin@zorvali.it"))->setObjectName(QStringLiteral("mnuPosta"));
    bar->addAction(QStringLiteral("Freeware"))->setObjectName(QStringLiteral("free"));
    bar->addAction(QStringLiteral("Agli alunni di Zorvali"))->setObjectName(QStringLiteral("comune"));
}

void Tavola::buildControls()
{
    m_surface = new Surface(kScrollBarGrey, this);
    m_surface->setObjectName(QStringLiteral("surface"));
    m_surface->setFixedSize(kClientWidth, kClientHeight);
    setCentralWidget(m_surface);
    const QPixmap pointer = QIcon(QStringLiteral(":/zorvali/pointer.svg")).pixmap(48, 48);
    if (!pointer.isNull())
        m_surface->setCursor(QCursor(pointer, 6, 4));

    // Lowest first: the shapes, then labels and the picture, then text boxes
    // and buttons on top.
    const auto shape = [this](const char *name, Shape::Form form, QRgb fill, QRect box, const char *what) {
        auto *s = new Shape(form, QColor(fill), m_surface);
        s->setObjectName(QLatin1String(name));
        s->setGeometry(box);
        s->setAccessibleName(QString::fromUtf8(what));
    };
    shape("Shape4", Shape::Form::Rectangle, 0x00C0C0, twips(0, 0, 3375, 4455), "Cornice dei punteggi");
    shape("Shape2", Shape::Form::Rectangle, 0x00FFFF, twips(120, 120, 3135, 4215), "Riquadro dei punteggi");
    shape("Shape5", Shape::Form::Circle, 0x00C0C0, twips(8400, 0, 3495, 2055), "Cornice del tempo");
    shape("Shape3", Shape::Form::Circle, 0x00FFFF, twips(8510, 50, 3300, 1965), "Cerchio del tempo");
    shape("Shape1", Shape::Form::Rectangle, 0x00FFFF, twips(2880, 4920, 7335, 1335), "Riquadro della risposta");

    struct LabelLook {
        const char *name;
        QRect box;
        const char *caption;
        QFont font;
        QRgb fore;
        std::optional<QRgb> back; // none: transparent
        bool border;
        Qt::Alignment align;
        bool autoSize;
    };
    const auto label = [this](const LabelLook &look) {
        auto *l = new VbLabel(m_surface);
        l->setObjectName(QLatin1String(look.name));
        l->setGeometry(look.box);
        l->setFont(look.font);
        l->setForeColor(QColor(look.fore));
        if (look.back) {
            QPalette p = l->palette();
            p.setColor(QPalette::Window, QColor(*look.back));
            l->setPalette(p);
            l->setAutoFillBackground(true);
        }
        if (look.border) {
            l->setFrameStyle(QFrame::Box | QFrame::Plain);
            l->setLineWidth(1);
        }
        l->setAlignment(look.align | Qt::AlignTop);
        l->setAutoSize(look.autoSize);
        l->setCaption(QString::fromUtf8(look.caption));
        return l;
    };
    const auto centred = Qt::AlignHCenter;
    const auto left = Qt::AlignLeft;
    constexpr QRgb kBlack = 0x000000;

    lblMessage = label({"lblMessage", twips(6360, 2040, 1305, 1275), "io", face(Face::Sans, 24, true, true),
                        0xFF0000, {}, false, centred, true});
    lblNum1 = label({"lblNum1", twips(3840, 0, 345, 1185), "", face(Face::Sans, 48, true), kBlack, 0x00FFFF, true,
                     centred, true});
    Label10 = label({"Label10", twips(5640, 120, 615, 975), "X", face(Face::Sans, 48), kBlack, 0x80FFFF, false,
                     centred, false});
    lblNum2 = label({"lblNum2", twips(7560, 0, 345, 1185), "", face(Face::Sans, 48, true), kBlack, 0x00FFFF, true,
                     centred, true});
    label({"Label11", twips(9270, 720, 1815, 615), "Tempo restante", face(Face::Serif, 14.25), 0xFFFF00, {}, false,
           left, false});
    lblconto = label({"lblconto", twips(9360, 1200, 1575, 375), "00.07.00", face(Face::Black, 12, true), 0xFFFF00,
                      0x8080FF, true, centred, false});
    label({"Label6", twips(360, 240, 2625, 555), "Risposte esatte", face(Face::Serif, 21.75), 0xFFFF80, {}, true,
           centred, true});
    lblScore = label({"lblScore", twips(1440, 840, 315, 540), "0", face(Face::Serif, 21.75, true), 0xFFFF80, {},
                      true, centred, true});
    label({"Label1", twips(360, 1560, 2595, 555), "Risposte errate", face(Face::Serif, 21.75), 0xFF0000, {}, true,
           left, true});
    lblScore1 = label({"lblScore1", twips(1560, 2160, 300, 540), "0", face(Face::Serif, 21.75, true), 0xFF0000, {},
                       true, centred, true});
    label({"Label3", twips(360, 2880, 2505, 555), "Risposte totali", face(Face::Serif, 21.75), 0x0000FF, {}, true,
           left, true});
    lblScore2 = label({"lblScore2", twips(1560, 3600, 315, 540), "0", face(Face::Serif, 21.75, true), 0x0000FF, {},
                       true, centred, true});
    label({"Label14", twips(120, 6360, 1425, 420), "Sfidante", face(Face::Sans, 13.5), 0xFFFF00, {}, true, centred,
           true});
    lblnome1 = label({"lblnome1", twips(120, 7200, 645, 420), "", face(Face::Sans, 13.5, true), 0xFFFF00, {}, true,
                      left, true});
    label({"Label12", twips(120, 7680, 2295, 375), "Il record  è di ", face(Face::Sans, 18), 0xC000C0, {}, false,
           left, false});
    lblnome = label({"lblnome", twips(2400, 7680, 990, 435), "nome", face(Face::Sans, 18, true), 0x0000FF, {}, false,
                     left, true});
    Label13 = label({"Label13", twips(6000, 7680, 1455, 435), "con punti", face(Face::Sans, 18), 0xC000C0, {}, false,
                     left, true});
    lblpunti = label({"lblpunti", twips(7680, 7680, 195, 435), "0", face(Face::Sans, 18), 0xC000C0, {}, false, left,
                      true});
    lblScore->setToolTip(QStringLiteral("Questo è il tuo punteggio. Forza con il  record"));
    lblMessage->setCursor(Qt::ArrowCursor);
    setQuestionLabelsVisible(false);

    auto *image1 = new QLabel(m_surface);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(twips(9885, 120, 480, 480));
    image1->setPixmap(QIcon(QStringLiteral(":/zorvali/stopwatch.svg")).pixmap(32, 32));
    image1->setToolTip(QStringLiteral("Clicca sotto di me per impostare il Timer"));
    image1->setAccessibleName(QStringLiteral("Cronometro"));

    Text3 = new AnswerBox(m_surface);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setGeometry(twips(3120, 5040, 6855, 1125));
    Text3->setFont(face(Face::Sans, 48));
    Text3->setAlignment(Qt::AlignCenter);
    Text3->setMaxLength(250);
    {
        QPalette p = Text3->palette();
        p.setColor(QPalette::Text, QColor(0x0000FF));
        p.setColor(QPalette::Base, QColor(0xFFFF80));
        Text3->setPalette(p);
    }
    Text3->setText(QStringLiteral("Text3"));
    Text3->setToolTip(QStringLiteral("Scrivi il numero e poi premi  il tasto Return (Invio)"));
    Text3->setAccessibleName(QStringLiteral("Risposta"));
    Text3->onKeyPress = [this](char16_t code) { runHandler("Text3_KeyPress", [&] { Text3_KeyPress(code); }); };

    const auto button = [this](const char *name, QRect box, const char *caption, QRgb back, const char *normal,
                               const char *pressed, const char *disabled) {
        auto *b = new VbButton(m_surface);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(box);
        b->setText(QString::fromUtf8(caption));
        b->setBackColor(QColor(back));
        b->setFont(face(Face::Sans, 8.25, true));
        const auto icon = [](const char *file) { return QIcon(QStringLiteral(":/zorvali/") + QLatin1String(file)); };
        b->setPictures(icon(normal), icon(pressed), icon(disabled));
        return b;
    };
    cmdNext = button("cmdNext", twips(3120, 6360, 1815, 855), "&Nuovo calcolo", 0xFF80FF, "smiley-normal.svg",
                     "smiley-pressed.svg", "smiley-disabled.svg");
    cmdNext->setEnabled(false);
    cmdNext->setCursor(Qt::ArrowCursor);
    cmdNext->setToolTip(QStringLiteral("Usa il tasto Return(invio) per l'esercizio successivo"));
    cmdNext->setAccessibleName(QStringLiteral("Nuovo calcolo"));
    connect(cmdNext, &QAbstractButton::clicked, this, [this] { runHandler("cmdNext_Click", [this] { cmdNext_Click(); }); });

    cmdExit1 = button("cmdExit1", twips(8160, 6360, 1815, 855), "E&xit", 0x00C0C0, "noentry.svg", "noentry.svg",
                      "noentry.svg");
    cmdExit1->setToolTip(QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));
    cmdExit1->setAccessibleName(QStringLiteral("Esci"));
    connect(cmdExit1, &QAbstractButton::clicked, this,
            [this] { runHandler("cmdExit1_Click", [this] { cmdExit1_Click(); }); });

    // Named text stores, never shown.
    const auto store = [this](const char *name, const char *text) {
        auto *t = new QLineEdit(m_surface);
        t->setObjectName(QLatin1String(name));
        t->setText(QLatin1String(text));
        t->hide();
        return t;
    };
    Text1 = store("Text1", "0");
    Text6 = store("Text6", "Text6");
    Text7 = store("Text7", "Text7");
    Txtnome1 = store("Txtnome1", "Text8");

    Command3 = new QPushButton(QStringLiteral("verifica"), m_surface);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->hide();
    connect(Command3, &QPushButton::clicked, this,
            [this] { runHandler("Command3_Click", [this] { Command3_Click(); }); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setTimerType(Qt::PreciseTimer);
    connect(Timer1, &QTimer::timeout, this, [this] { runHandler("Timer1_Timer", [this] { Timer1_Timer(); }); });

    // Only the answer box and the two buttons take the focus.
    for (QWidget *w : m_surface->findChildren<QWidget *>())
        w->setFocusPolicy(Qt::NoFocus);
    Text3->setFocusPolicy(Qt::StrongFocus);
    cmdNext->setFocusPolicy(Qt::StrongFocus);
    cmdExit1->setFocusPolicy(Qt::StrongFocus);
    setTabOrder(cmdExit1, Text3);
    setTabOrder(Text3, cmdNext);

    // A value label keeps its caption as accessible name, so screen readers
    // read the value itself; the description says what it is.
    const auto describe = [](QWidget *w, const char *what) { w->setAccessibleDescription(QString::fromUtf8(what)); };
    describe(lblScore, "Risposte esatte");
    describe(lblScore1, "Risposte errate");
    describe(lblScore2, "Risposte totali");
    describe(lblconto, "Tempo restante");
    describe(lblnome1, "Sfidante");
    describe(lblnome, "Nome del campione");
    describe(lblpunti, "Punti del record");
}

void Tavola::setQuestionLabelsVisible(bool visible)
{
    lblNum1->setVisible(visible);
    lblNum2->setVisible(visible);
    Label10->setVisible(visible);
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
    const bool holdClock = !m_startedUp && Timer1->isActive();
    if (holdClock)
        Timer1->stop();
    m_services.dialogs.MsgBox(QStringLiteral("Errore di esecuzione in %1:\n%2").arg(QLatin1String(handler), what));
    if (holdClock && !m_ended)
        Timer1->start();
}

void Tavola::withMerlin(const char *handler, const std::function<void(Character &)> &steps)
{
    // Without Merlin the drill goes on: his part is skipped, and what he
    // failed at is reported once.
    if (m_merlinMissing)
        return;
    Character *merlin = nullptr;
    if (!runHandler(handler, [&] { merlin = &m_services.agent.Characters().Character(kMerlin); })) {
        m_merlinMissing = true;
        return;
    }
    runHandler(handler, [&] { steps(*merlin); });
}

void Tavola::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_activated)
        return;
    // The first showing stands for the window's activation; focus coming
    // back from another program is not one.
    m_activated = true;
    QTimer::singleShot(0, this, [this] {
        runHandler("Form_Activate", [this] { Form_Activate(); });
        m_startedUp = true;
    });
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
    m_rightAnswers = Int16(0);
    m_wrongAnswers = Int16(0);
    const QString name = withoutControlCharacters(m_services.dialogs.InputBox(QStringLiteral("Come ti chiami?")));
    m_services.dialogs.MsgBox(u' ' + name + QStringLiteral(" vediamo se sei un vero campione  "));
    lblnome1->setCaption(name);
    if (lblnome1->caption().isEmpty())
        lblnome1->setCaption(QStringLiteral("Amico"));
    Txtnome1->setText(lblnome1->caption());
    ResetCountdown();
    m_rightAnswers = Int16(0);
    m_wrongAnswers = Int16(0);
    // Each failing step is reported and the rest still runs: a child can
    // always play, with or without the record line or Merlin.
    runHandler("Form_Load", [this] { readRecord(); });
    m_rightAnswers = Int16(0);
    m_wrongAnswers = Int16(0);
    bringUpCharacter();
    setQuestionLabelsVisible(false);
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
    std::array files{RecordFile{m_windowsDir + QLatin1String(kPointsFileName), lblpunti, {}},
                     RecordFile{m_windowsDir + QLatin1String(kNameFileName), lblnome, {}}};
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
    fitRecordName();
    QStringList failures;
    for (const RecordFile &file : files)
        if (file.failure)
            failures << *file.failure;
    if (!failures.isEmpty())
        throw std::runtime_error(failures.join(u'\n').toStdString());
}

void Tavola::fitRecordName()
{
    // A long name is drawn smaller, on the same baseline, rather than over
    // "con punti".
    const int room = Label13->x() - kRecordNameGap - lblnome->x();
    const int baseline = lblnome->y() + QFontMetrics(lblnome->font()).ascent();
    QFont font = lblnome->font();
    while (lblnome->width() > room && font.pointSizeF() > kSmallestRecordNamePoints) {
        font.setPointSizeF(font.pointSizeF() - 0.75);
        lblnome->setFont(font);
        // Sizes the label again for the new face.
        lblnome->setCaption(lblnome->caption());
    }
    if (lblnome->width() > room)
        lblnome->resize(room, lblnome->height());
    lblnome->move(lblnome->x(), baseline - QFontMetrics(font).ascent());
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
        m_merlinMissing = true;
        if (loaded)
            presentRuntimeError("Form_Load", QString::fromUtf8(error.what()));
        return;
    }
    runHandler("Form_Load", [merlin] {
        merlin->Show();
        merlin->MoveTo(250, 175);
        merlin->Play(QStringLiteral("Announce"));
        merlin->Height(205);
        merlin->Speak(QStringLiteral(
            "Allora attenzione, iniziamo la nostra avventura con la tabellina del 3. Io detto e tu scrivi il "
            "risultato nello spazio sotto di me. Mi raccomando inserisci il risultato e premi invio e poi aspetta "
            "che io finisca di parlare e premi ancora invio per avere la domanda successiva"));
    });
}

void Tavola::Form_Activate()
{
    cmdNext_Click();
    m_rightAnswers = Int16(0);
    m_wrongAnswers = Int16(0);
    lblconto->setCaption(QStringLiteral("00.07.00"));
}

void Tavola::cmdNext_Click()
{
    setQuestionLabelsVisible(false);
    lblMessage->setCaption(QString());
    cmdNext->setAccessibleDescription(QString());
    m_services.random.Randomize();
    m_firstFactor = Int16(3);
    m_backgroundShade = drawOneToTen(m_services.random);
    Text1->setText(m_firstFactor.toString());
    lblNum1->setCaption(m_firstFactor.toString());
    m_secondFactor = drawOneToTen(m_services.random);
    lblNum2->setCaption(m_secondFactor.toString());
    const Int16 product = m_secondFactor * m_firstFactor;
    Text7->setText(product.toString());
    Text6->setText(numlett(m_secondFactor.value()));

    withMerlin("cmdNext_Click", [this](Character &merlin) {
        merlin.Show();
        merlin.MoveTo(250, 175);
        merlin.Play(QStringLiteral("Greet"));
        merlin.Height(205);
        merlin.Speak(Text1->text());
        merlin.Speak(QStringLiteral("per"));
        merlin.Speak(Text6->text());
    });

    Text3->setText(QString());
    // A screen reader says the question with the answer box as the focus
    // comes to it, as Merlin says it.
    Text3->setAccessibleDescription(QStringLiteral("%1 per %2").arg(Text1->text(), Text6->text()));
    Text3->setFocus();
    const Int16 twenty(20);
    m_surface->paintGradient((twenty * m_firstFactor).value(), (twenty * m_backgroundShade).value());
}

void Tavola::Text3_KeyPress(char16_t charCode)
{
    m_surface->clearDrawing();
    setQuestionLabelsVisible(true);
    if (charCode == 13)
        Command3_Click();
}

void Tavola::Command3_Click()
{
    setQuestionLabelsVisible(false);
    if (isRightAnswer(Text3->text(), Text7->text())) {
        showVerdict(QColor(0, 0, 255), QStringLiteral("Esatto. Sei forte!!!"));
        m_rightAnswers = m_rightAnswers + Int16(1);
        bool isNumber = false;
        const int p = lblScore->caption().toInt(&isNumber);
        if (!isNumber)
            throw std::runtime_error("Tipo non corrispondente");
        withMerlin("Command3_Click", [&](Character &merlin) {
            merlin.Show();
            merlin.MoveTo(250, 175);
            merlin.Height(205);
            if (const QString word = verdictWord(p); !word.isEmpty())
                merlin.Speak(word);
            if (addressesByName(p))
                merlin.Speak(Txtnome1->text());
            merlin.Speak(Text7->text());
            if (const auto praise = praiseFor(p)) {
                merlin.Play(praise->animation);
                merlin.Speak(praise->text);
            }
        });
    } else {
        showVerdict(QColor(255, 0, 0), QStringLiteral("Sbagliato!! ") + Text7->text());
        m_wrongAnswers = m_wrongAnswers + Int16(1);
        withMerlin("Command3_Click", [this](Character &merlin) {
            merlin.Show();
            merlin.MoveTo(250, 175);
            merlin.Play(QStringLiteral("Greet"));
            merlin.Height(205);
            merlin.Speak(QStringLiteral("Sbagliato"));
            merlin.Speak(Text7->text());
        });
        lblScore1->setCaption(m_wrongAnswers.toString());
        cmdNext->setEnabled(true);
        cmdNext->setFocus();
    }
    lblScore->setCaption(m_rightAnswers.toString());
    lblScore2->setCaption((m_rightAnswers + m_wrongAnswers).toString());
    cmdNext->setEnabled(true);
    cmdNext->setFocus();
}

void Tavola::showVerdict(const QColor &color, const QString &verdict)
{
    lblMessage->setForeColor(color);
    lblMessage->setCaption(verdict);
    // The focus goes to "Nuovo calcolo" next: a screen reader says the
    // verdict with it.
    cmdNext->setAccessibleDescription(verdict);
}

void Tavola::ResetCountdown()
{
    Timer1->start();
    m_countdown.ResetCountdown();
}

void Tavola::Timer1_Timer()
{
    lblconto->setCaption(m_countdown.Timer1_Timer(lblconto->caption()));
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
    const double record = captionValue(lblpunti->caption());
    const double score = captionValue(lblScore->caption());
    if (record >= score) {
        endProgram();
        return;
    }
    const SaveOutcome outcome = saveBeatenRecord(record);
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

SaveOutcome Tavola::saveBeatenRecord(double record)
{
    // The directory is looked up again when start-up could not find it.
    if (m_windowsDir.isEmpty()) {
        try {
            m_windowsDir = m_services.records.GetSystemDir();
        } catch (const std::exception &error) {
            return {SaveOutcome::Kind::Failed, QString::fromUtf8(error.what())};
        }
    }
    return m_services.records.saveIfBeaten(m_windowsDir, lblScore->caption(), lblnome1->caption(), record);
}

void Tavola::saveOnTermination()
{
    if (m_ended)
        return;
    const double record = captionValue(lblpunti->caption());
    if (record < captionValue(lblScore->caption())) {
        const SaveOutcome outcome = saveBeatenRecord(record);
        if (outcome.kind == SaveOutcome::Kind::Failed)
            std::fprintf(stderr, "zorvali: record non salvato: %s\n", qPrintable(outcome.reason));
    }
    endProgram();
}

void Tavola::endProgram()
{
    m_ended = true;
    Timer1->stop();
    if (m_services.endProgram)
        m_services.endProgram();
}
