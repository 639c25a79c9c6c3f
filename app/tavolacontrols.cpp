// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tavolacontrols.h"

#include "app/answerbox.h"
#include "app/picture.h"
#include "app/picturebox.h"
#include "app/shape.h"
#include "app/surface.h"
#include "app/vbbutton.h"
#include "app/vblabel.h"

#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>

#include <optional>

namespace {

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

const QColor kScrollBarGrey(0xC8, 0xC8, 0xC8);

// The record holder's name shrinks to fit before "con punti", down to the
// smallest face a child still reads.
constexpr qreal kSmallestRecordNamePoints = 8.25;
constexpr int kRecordNameGap = 6;

Picture artwork(const char *file)
{
    return Picture(QStringLiteral(":/zorvali/") + QLatin1String(file));
}

// The window's style, but Alt alone does not put the focus on the menu bar.
// Alt is half of Alt+N and Alt+X: the menu bar took the focus between the
// two keys, and a screen reader then read its first entry before the
// goodbye box.
class NoAltFocusStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        return hint == SH_MenuBar_AltKeyNavigation ? 0 : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

QString TavolaControls::titleCaption()
{
    return QString(83, u' ') + QStringLiteral("ZORVALI") + QString(31, u' ')
           + QStringLiteral("Scrivici: merlin@zorvali.it") + QString(4, u' ');
}

void TavolaControls::buildMenu(QMainWindow &window)
{
    // Credits only: choosing an entry does nothing.
    QMenuBar *bar = window.menuBar();
    auto *style = new NoAltFocusStyle;
    style->setParent(bar);
    bar->setStyle(style);
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

TavolaControls::TavolaControls(QMainWindow &window)
{
    window.setObjectName(QStringLiteral("Tavola"));
    window.setWindowTitle(titleCaption());
    window.setWindowIcon(artwork("zorvali.svg").icon());
    buildMenu(window);

    surface = new Surface(kScrollBarGrey, &window);
    surface->setObjectName(QStringLiteral("surface"));
    surface->setFixedSize(kClientWidth, kClientHeight);
    window.setCentralWidget(surface);
    const QPixmap pointer = artwork("pointer.svg").pixmap(QSize(48, 48), surface->devicePixelRatioF());
    if (!pointer.isNull())
        surface->setCursor(QCursor(pointer, 6, 4));

    // Lowest first: the shapes, then labels and the picture, then text boxes
    // and buttons on top.
    const auto shape = [this](const char *name, Shape::Form form, QRgb fill, QRect box, const char *what) {
        auto *s = new Shape(form, QColor(fill), surface);
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
        auto *l = new VbLabel(surface);
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
    lblNum1->hide();
    Label10->hide();
    lblNum2->hide();

    auto *image1 = new PictureBox(artwork("stopwatch.svg"), QSize(32, 32), surface);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setGeometry(twips(9885, 120, 480, 480));
    image1->setToolTip(QStringLiteral("Clicca sotto di me per impostare il Timer"));
    image1->setAccessibleName(QStringLiteral("Cronometro"));

    Text3 = new AnswerBox(surface);
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

    const auto button = [this](const char *name, QRect box, const char *caption, QRgb back, const Picture &normal,
                               const Picture &pressed, const Picture &disabled) {
        auto *b = new VbButton(surface);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(box);
        b->setText(QString::fromUtf8(caption));
        b->setBackColor(QColor(back));
        b->setFont(face(Face::Sans, 8.25, true));
        b->setPictures(normal, pressed, disabled);
        return b;
    };
    cmdNext = button("cmdNext", twips(3120, 6360, 1815, 855), "&Nuovo calcolo", 0xFF80FF, artwork("smiley-normal.svg"),
                     artwork("smiley-pressed.svg"), artwork("smiley-disabled.svg"));
    cmdNext->setEnabled(false);
    cmdNext->setCursor(Qt::ArrowCursor);
    cmdNext->setToolTip(QStringLiteral("Usa il tasto Return(invio) per l'esercizio successivo"));
    cmdNext->setAccessibleName(QStringLiteral("Nuovo calcolo"));

    const Picture noEntry = artwork("noentry.svg");
    cmdExit1 = button("cmdExit1", twips(8160, 6360, 1815, 855), "E&xit", 0x00C0C0, noEntry, noEntry, noEntry);
    cmdExit1->setToolTip(QStringLiteral("Ti prego resta ancora, forse riuscirai a farmi uscire "));
    cmdExit1->setAccessibleName(QStringLiteral("Esci"));

    // Named text stores, never shown.
    const auto store = [this](const char *name, const char *text) {
        auto *t = new QLineEdit(surface);
        t->setObjectName(QLatin1String(name));
        t->setText(QLatin1String(text));
        t->hide();
        return t;
    };
    Text1 = store("Text1", "0");
    Text6 = store("Text6", "Text6");
    Text7 = store("Text7", "Text7");
    Txtnome1 = store("Txtnome1", "Text8");

    Command3 = new QPushButton(QStringLiteral("verifica"), surface);
    Command3->setObjectName(QStringLiteral("Command3"));
    Command3->hide();

    Timer1 = new QTimer(&window);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer1->setTimerType(Qt::PreciseTimer);

    // Only the answer box and the two buttons take the focus.
    for (QWidget *w : surface->findChildren<QWidget *>())
        w->setFocusPolicy(Qt::NoFocus);
    Text3->setFocusPolicy(Qt::StrongFocus);
    cmdNext->setFocusPolicy(Qt::StrongFocus);
    cmdExit1->setFocusPolicy(Qt::StrongFocus);
    QWidget::setTabOrder(cmdExit1, Text3);
    QWidget::setTabOrder(Text3, cmdNext);

    // A value label keeps its caption as accessible name, so screen readers
    // read the value itself; the description says what it is.
    const auto describe = [](QWidget *w, const char *what) { w->setAccessibleDescription(QString::fromUtf8(what)); };
    describe(lblMessage, "Esito della risposta");
    describe(lblScore, "Risposte esatte");
    describe(lblScore1, "Risposte errate");
    describe(lblScore2, "Risposte totali");
    describe(lblconto, "Tempo restante");
    describe(lblnome1, "Sfidante");
    describe(lblnome, "Nome del campione");
    describe(lblpunti, "Punti del record");
}

void TavolaControls::read(DrillControls &drill) const
{
    drill.lblNum1 = lblNum1->caption();
    drill.lblNum2 = lblNum2->caption();
    drill.factorsVisible = !lblNum1->isHidden();
    drill.lblMessage = lblMessage->caption();
    drill.lblMessageColor = lblMessage->foreColor().rgb() & 0xFFFFFF;
    drill.lblScore = lblScore->caption();
    drill.lblScore1 = lblScore1->caption();
    drill.lblScore2 = lblScore2->caption();
    drill.Text1 = Text1->text();
    drill.Text3 = Text3->text();
    drill.Text6 = Text6->text();
    drill.Text7 = Text7->text();
    drill.Txtnome1 = Txtnome1->text();
    drill.cmdNextEnabled = cmdNext->isEnabled();
    const QWidget *focus = surface->window()->focusWidget();
    drill.focus = focus == Text3     ? DrillControls::Focus::Text3
                  : focus == cmdNext ? DrillControls::Focus::cmdNext
                                     : DrillControls::Focus::Elsewhere;
    drill.gradient = surface->hasDrawing() ? m_shownGradient : std::nullopt;
}

void TavolaControls::show(const DrillControls &drill)
{
    // Only what changed is set: a label sized to its text resizes on every
    // new caption.
    const auto caption = [](VbLabel *label, const QString &text) {
        if (label->caption() != text)
            label->setCaption(text);
    };
    const auto text = [](QLineEdit *box, const QString &value) {
        if (box->text() != value)
            box->setText(value);
    };
    caption(lblNum1, drill.lblNum1);
    caption(lblNum2, drill.lblNum2);
    for (VbLabel *factor : {lblNum1, Label10, lblNum2})
        factor->setVisible(drill.factorsVisible);
    if (lblMessage->foreColor() != QColor::fromRgb(drill.lblMessageColor))
        lblMessage->setForeColor(QColor::fromRgb(drill.lblMessageColor));
    caption(lblMessage, drill.lblMessage);
    caption(lblScore, drill.lblScore);
    caption(lblScore1, drill.lblScore1);
    caption(lblScore2, drill.lblScore2);
    text(Text1, drill.Text1);
    text(Text6, drill.Text6);
    text(Text7, drill.Text7);
    text(Txtnome1, drill.Txtnome1);
    cmdNext->setEnabled(drill.cmdNextEnabled);
    QWidget *focus = drill.focus == DrillControls::Focus::Text3     ? static_cast<QWidget *>(Text3)
                     : drill.focus == DrillControls::Focus::cmdNext ? cmdNext
                                                                    : nullptr;
    // A screen reader speaks and brailles a control's name as the focus
    // comes to it, so the answer box is named by its question, and "Nuovo
    // calcolo" described by the verdict, before the focus moves. Only then
    // is the box emptied and the control just left described anew: a change
    // to a control ahead of its focus, or to the focused one, is taken by
    // screen readers as the focus itself, or read wrongly. The box's
    // description repeats its name, which screen readers say once, rather
    // than leave them its long tooltip.
    const auto describe = [](QWidget *w, const QString &text) {
        if (w->accessibleDescription() != text)
            w->setAccessibleDescription(text);
    };
    const QString question = QStringLiteral("%1 per %2").arg(drill.Text1, drill.Text6);
    if (Text3->accessibleName() != question)
        Text3->setAccessibleName(question);
    describe(Text3, question);
    if (focus == cmdNext)
        describe(cmdNext, drill.lblMessage);
    if (focus)
        focus->setFocus();
    text(Text3, drill.Text3);
    describe(cmdNext, drill.lblMessage);
    if (!drill.gradient) {
        surface->clearDrawing();
    } else if (!surface->hasDrawing() || drill.gradient != m_shownGradient) {
        surface->paintGradient(drill.gradient->red, drill.gradient->green);
        m_shownGradient = drill.gradient;
    }
}

void TavolaControls::fitRecordName()
{
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

