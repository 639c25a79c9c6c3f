// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/answerbox.h"
#include "app/picture.h"
#include "app/shape.h"
#include "app/surface.h"
#include "app/tavola.h"
#include "app/vbbutton.h"
#include "app/vblabel.h"
#include "record/filerecordstore.h"
#include "recordingagent.h"
#include "recordingdialogs.h"
#include "scriptedrandom.h"

#include <QAccessible>
#include <QApplication>
#include <QImageReader>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString kIntro = QStringLiteral(
    "Speak Allora attenzione, iniziamo la nostra avventura con la tabellina del 3. Io detto e tu scrivi il "
    "risultato nello spazio sotto di me. Mi raccomando inserisci il risultato e premi invio e poi aspetta che io "
    "finisca di parlare e premi ancora invio per avere la domanda successiva");
const QString kGoodbye = QStringLiteral("MsgBox Ciao. Ti aspetto per la prossima sfida ");
const QString kSaved = QStringLiteral("MsgBox Ok ho registrato il tuo record, C A M P I O N E\"");

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

    template <typename Control = QWidget>
    Control *get(const char *name) const { return tavola.findChild<Control *>(QLatin1String(name)); }
    VbLabel *label(const char *name) const { return get<VbLabel>(name); }
    QLineEdit *box(const char *name) const { return get<QLineEdit>(name); }
    QString caption(const char *name) const { return label(name)->caption(); }

    QString recordPath(const char *file) const { return dataHome.filePath(QStringLiteral("zorvali/")) + file; }
    QByteArray recordFile(const char *file) const
    {
        QFile f(recordPath(file));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    void writeRecordFile(const char *file, const QByteArray &bytes) const
    {
        QFile f(recordPath(file));
        QVERIFY(QDir().mkpath(dataHome.filePath(QStringLiteral("zorvali"))) && f.open(QIODevice::WriteOnly)
                && f.write(bytes) == bytes.size());
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
    // Shows the window as a desktop does; true once the first question has the focus.
    bool showAsking()
    {
        tavola.show();
        return QTest::qWaitForWindowActive(&tavola)
               && QTest::qWaitFor([this] { return tavola.focusWidget() == box("Text3"); });
    }
};

// A key on the control, or a click on it for Qt::Key_unknown.
void press(QWidget *control, Qt::Key key, Qt::KeyboardModifiers modifiers = {})
{
    if (key == Qt::Key_unknown)
        QTest::mouseClick(control, Qt::LeftButton);
    else
        QTest::keyClick(control, key, modifiers);
}

// A control's look in one line: place and size, face, colours, frame, alignment,
// pointer, visibility, its caption or text and its tool-tip.
QString look(const QWidget *w)
{
    QStringList parts{w->objectName(), QStringLiteral("@%1,%2").arg(w->x()).arg(w->y())};
    if (w->testAttribute(Qt::WA_Resized)) // the hidden stores have no size of their own
        parts.last() += QStringLiteral(" %1x%2").arg(w->width()).arg(w->height());
    if (const auto *shape = qobject_cast<const Shape *>(w))
        return parts.join(u' ') + (shape->form() == Shape::Form::Circle ? " circle " : " rectangle ")
               + shape->fill().name();
    if (w->testAttribute(Qt::WA_SetFont)) {
        const QFont font = w->font();
        parts << font.family() << QString::number(font.pointSizeF());
        if (font.weight() == QFont::Black || font.bold())
            parts << (font.weight() == QFont::Black ? "black" : "bold");
        if (font.italic())
            parts << "italic";
    }
    QString caption;
    if (const auto *label = qobject_cast<const VbLabel *>(w)) {
        parts << label->foreColor().name()
              << (label->autoFillBackground() ? "on " + label->palette().window().color().name() : "clear");
        if (label->frameShape() == QFrame::Box)
            parts << "border";
        caption = label->caption();
    } else if (const auto *box = qobject_cast<const QLineEdit *>(w)) {
        if (w->testAttribute(Qt::WA_SetPalette))
            parts << box->palette().text().color().name() << "on " + box->palette().base().color().name();
        caption = box->text();
    } else if (const auto *button = qobject_cast<const QAbstractButton *>(w)) {
        if (const auto *vb = qobject_cast<const VbButton *>(w))
            parts << "on " + vb->backColor().name();
        caption = button->text();
    }
    if (w->property("alignment").value<Qt::Alignment>() & Qt::AlignHCenter)
        parts << "centred";
    if (w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::ArrowCursor)
        parts << "arrow";
    if (w->isHidden())
        parts << "hidden";
    parts << '"' + caption + '"';
    if (!w->toolTip().isEmpty())
        parts << "tip \"" + w->toolTip() + '"';
    return parts.join(u' ');
}

// What the window tells screen readers, in order: each focus with the name
// and description read then, each change to the focused control, and each
// change to the answer box's text.
QStringList g_told;
void tell(QAccessibleEvent *event)
{
    const auto *w = qobject_cast<const QWidget *>(event->object());
    const QAccessible::Event type = event->type();
    const QList<QAccessible::Event> textChanges{QAccessible::TextInserted, QAccessible::TextRemoved,
                                                QAccessible::TextUpdated, QAccessible::TextCaretMoved};
    if (w && type == QAccessible::Focus)
        g_told << "focus " + w->objectName() + ": " + w->accessibleName() + " / " + w->accessibleDescription();
    else if (w && (type == QAccessible::NameChanged || type == QAccessible::DescriptionChanged) && w->hasFocus())
        g_told << "focused " + w->objectName() + " changed";
    else if (w && w->objectName() == QLatin1String("Text3") && textChanges.contains(type)
             && !g_told.endsWith("Text3 text"))
        g_told << QStringLiteral("Text3 text");
}

QStringList lookOfEveryControl(const Tavola &tavola)
{
    QStringList looks;
    for (const QWidget *w : tavola.centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        looks << look(w);
    return looks;
}

} // namespace

// The window as the child sees it, the drill shown on it, start-up, and the
// exit that saves a beaten record into real files.
class TestWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Every control, lowest first.
    void staticLook()
    {
        const QString S = "Liberation Sans ", R = "Liberation Serif ";
        const QStringList expected{
            "Shape4 @0,0 225x297 rectangle #00c0c0",
            "Shape2 @8,8 209x281 rectangle #00ffff",
            "Shape5 @560,0 233x137 circle #00c0c0",
            "Shape3 @567,3 220x131 circle #00ffff",
            "Shape1 @192,328 489x89 rectangle #00ffff",
            "lblMessage @424,136 87x85 " + S + "24 bold italic #ff0000 clear centred arrow \"io\"",
            "lblNum1 @256,0 23x79 " + S + "48 bold #000000 on #00ffff border centred hidden \"\"",
            "Label10 @376,8 41x65 " + S + "48 #000000 on #80ffff centred hidden \"X\"",
            "lblNum2 @504,0 23x79 " + S + "48 bold #000000 on #00ffff border centred hidden \"\"",
            "Label11 @618,48 121x41 " + R + "14.25 #ffff00 clear \"Tempo restante\"",
            "lblconto @624,80 105x25 " + S + "12 black #ffff00 on #8080ff border centred \"00.07.00\"",
            "Label6 @24,16 175x37 " + R + "21.75 #ffff80 clear border centred \"Risposte esatte\"",
            "lblScore @96,56 21x36 " + R + "21.75 bold #ffff80 clear border centred \"0\" tip \"" + QString::fromUtf8("Questo è il tuo punteggio. Forza con il  record\""),
            "Label1 @24,104 175x37 " + R + "21.75 #ff0000 clear border \"Risposte errate\"",
            "lblScore1 @104,144 20x36 " + R + "21.75 bold #ff0000 clear border centred \"0\"",
            "Label3 @24,192 169x37 " + R + "21.75 #0000ff clear border \"Risposte totali\"",
            "lblScore2 @104,240 21x36 " + R + "21.75 bold #0000ff clear border centred \"0\"",
            "Label14 @8,424 95x28 " + S + "13.5 #ffff00 clear border centred \"Sfidante\"",
            "lblnome1 @8,480 43x28 " + S + "13.5 bold #ffff00 clear border \"\"",
            "Label12 @8,512 153x25 " + S + QString::fromUtf8("18 #c000c0 clear \"Il record  è di \""),
            "lblnome @160,512 66x29 " + S + "18 bold #0000ff clear \"nome\"",
            "Label13 @400,512 97x29 " + S + "18 #c000c0 clear \"con punti\"",
            "lblpunti @512,512 13x29 " + S + "18 #c000c0 clear \"0\"",
            "Image1 @659,8 32x32 \"\" tip \"Clicca sotto di me per impostare il Timer\"",
            "Text3 @208,336 457x75 " + S + "48 #0000ff on #ffff80 centred \"Text3\" tip \"Scrivi il numero e poi premi  il tasto Return (Invio)\"",
            "cmdNext @208,424 121x57 " + S + "8.25 bold on #ff80ff arrow \"&Nuovo calcolo\" tip \"Usa il tasto Return(invio) per l'esercizio successivo\"",
            "cmdExit1 @544,424 121x57 " + S + "8.25 bold on #00c0c0 \"E&xit\" tip \"Ti prego resta ancora, forse riuscirai a farmi uscire \"",
            "Text1 @0,0 hidden \"0\"",
            "Text6 @0,0 hidden \"Text6\"",
            "Text7 @0,0 hidden \"Text7\"",
            "Txtnome1 @0,0 hidden \"Text8\"",
            "Command3 @0,0 hidden \"verifica\"",
        };
        Fixture f;
        QCOMPARE(lookOfEveryControl(f.tavola), expected);
    }

    void windowBeforeLoad()
    {
        Fixture f;
        // 83 blanks push the name to the middle of the title bar, 31 keep
        // the contact line apart, 4 close it.
        QVERIFY2(QRegularExpression("^ {83}ZORVALI {31}\\S.*\\S {4}$").match(f.tavola.windowTitle()).hasMatch(),
                 qPrintable(f.tavola.windowTitle()));
        QCOMPARE(f.tavola.centralWidget()->size(), QSize(785, 556));
        const auto *timer = f.get<QTimer>("Timer1");
        QVERIFY(!timer->isActive() && timer->interval() == 1000);
        QVERIFY(!f.get("cmdNext")->isEnabled() && f.get("cmdExit1")->isEnabled());
        // Four entries, none of which changes anything.
        QCOMPARE(f.tavola.menuBar()->actions().size(), 4);
        const QStringList before = lookOfEveryControl(f.tavola);
        for (QAction *action : f.tavola.menuBar()->findChildren<QAction *>())
            action->trigger();
        QCOMPARE(lookOfEveryControl(f.tavola), before);
        QVERIFY(f.agent.calls.isEmpty());
    }

    // The focus as a keyboard and a screen reader follow it.
    void keyboard()
    {
        QStringList heard; // what a screen reader says as the focus comes to a control
        Fixture f;
        connect(qApp, &QApplication::focusChanged, &f.tavola,
                [&heard](QWidget *, QWidget *now) { heard << (now ? now->accessibleDescription() : QString()); });
        // The first showing asks the first question before the window is on the screen.
        f.tavola.show();
        const QString question = "3 per " + f.box("Text6")->text();
        QVERIFY(f.agent.calls.size() == 8 && f.agent.calls.last() == "Speak " + f.box("Text6")->text());
        QCOMPARE(f.box("Text3")->accessibleDescription(), question);
        QVERIFY(f.showAsking());
        // Every visible control has a name (a value label's is its value, so
        // the empty one has its description) and a role.
        for (QWidget *w : f.tavola.centralWidget()->findChildren<QWidget *>()) {
            const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(w);
            const bool named = !accessible->text(QAccessible::Name).isEmpty() || !w->accessibleDescription().isEmpty();
            const bool role = accessible->role() != QAccessible::Client && accessible->role() != QAccessible::NoRole;
            QVERIFY2((named && role) || !w->isVisible(), qPrintable(w->objectName()));
        }
        // Tab goes round the exit button and the answer box only.
        QTest::keyClick(f.box("Text3"), Qt::Key_Tab);
        QCOMPARE(f.tavola.focusWidget(), f.get("cmdExit1"));
        QTest::keyClick(f.get("cmdExit1"), Qt::Key_Tab);
        QCOMPARE(f.tavola.focusWidget(), f.box("Text3"));
        // The check hides the factors and says its verdict on "Nuovo calcolo".
        QTest::keyClick(f.box("Text3"), Qt::Key_Return);
        QVERIFY(f.label("lblNum1")->isHidden() && f.label("Label10")->isHidden() && f.label("lblNum2")->isHidden());
        QCOMPARE(heard.filter(QRegularExpression("\\S")), QStringList({question, question, "Sbagliato!! 3"}));
        QCOMPARE(f.label("lblMessage")->foreColor(), QColor(255, 0, 0));
        // 250 characters at most.
        QTest::keyClick(f.get("cmdNext"), Qt::Key_Return);
        QTest::keyClicks(f.box("Text3"), QString(260, u'7'));
        QCOMPARE(f.box("Text3")->text(), QString(250, u'7'));
        // Showing the window again asks nothing.
        const qsizetype asked = f.agent.calls.size();
        f.tavola.hide();
        f.tavola.show();
        QTest::qWait(20);
        QCOMPARE(f.agent.calls.size(), asked);
    }

    // The character code each key hands to Text3_KeyPress, as on a classic
    // keyboard, and what the key does: only 13 checks the answer, and the
    // keys of "Nuovo calcolo" ask the next question.
    void keys_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("code"); // -1: Text3_KeyPress does not run
        QTest::addColumn<QString>("outcome");
        const Qt::KeyboardModifiers none, ctrl = Qt::ControlModifier, ctrlShift = ctrl | Qt::ShiftModifier,
                                          pad = Qt::KeypadModifier, alt = Qt::AltModifier;
        QTest::newRow("digit") << Qt::Key_7 << none << 55 << "typed 7";
        QTest::newRow("Backspace") << Qt::Key_Backspace << none << 8 << "typed";
        QTest::newRow("Escape") << Qt::Key_Escape << none << 27 << "typed";
        QTest::newRow("Ctrl+A") << Qt::Key_A << ctrl << 1 << "typed";
        QTest::newRow("Ctrl+Enter") << Qt::Key_Return << ctrl << 10 << "typed";
        QTest::newRow("Ctrl+[") << Qt::Key_BracketLeft << ctrl << 27 << "typed";
        QTest::newRow("Ctrl+_") << Qt::Key_Underscore << ctrlShift << 31 << "typed";
        QTest::newRow("Ctrl+Backspace") << Qt::Key_Backspace << ctrl << 127 << "typed";
        QTest::newRow("arrow") << Qt::Key_Left << none << -1 << "nothing";
        // Alt alone leaves the focus where it is, not on the menu bar.
        QTest::newRow("Alt") << Qt::Key_Alt << alt << -1 << "nothing";
        QTest::newRow("Alt+N, Nuovo calcolo disabled") << Qt::Key_N << alt << -1 << "nothing";
        QTest::newRow("Enter") << Qt::Key_Return << none << 13 << "checked";
        QTest::newRow("keypad Enter") << Qt::Key_Enter << pad << 13 << "checked";
        QTest::newRow("Ctrl+M") << Qt::Key_M << ctrl << 13 << "checked";
        QTest::newRow("Enter on Nuovo calcolo") << Qt::Key_Return << none << -1 << "next";
        QTest::newRow("keypad Enter on Nuovo calcolo") << Qt::Key_Enter << pad << -1 << "next";
        QTest::newRow("Space on Nuovo calcolo") << Qt::Key_Space << none << -1 << "next";
        QTest::newRow("Alt+N") << Qt::Key_N << alt << -1 << "next";
        QTest::newRow("click on Nuovo calcolo") << Qt::Key_unknown << none << -1 << "next";
    }

    void keys()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, code);
        QFETCH(QString, outcome);
        Fixture f;
        QVERIFY(f.showAsking());
        if (outcome == "next")
            QTest::keyClick(f.box("Text3"), Qt::Key_Return);
        auto *box = f.get<AnswerBox>("Text3");
        QList<int> codes;
        box->onKeyPress = [&codes, handler = box->onKeyPress](char16_t c) {
            codes << c;
            handler(c);
        };
        f.tavola.surface()->paintGradient(60, 100);
        f.label("lblNum1")->hide();
        const int checks = f.caption("lblScore2").toInt();
        const qsizetype callsBefore = f.agent.calls.size();

        press(f.tavola.focusWidget(), key, modifiers);
        QCOMPARE(codes, code < 0 ? QList<int>() : QList<int>{code});
        // A typed character clears the drawing and shows the factors.
        if (outcome.startsWith("typed"))
            QVERIFY(!f.tavola.surface()->hasDrawing() && f.label("lblNum1")->isVisible()
                    && box->text() == outcome.mid(6));
        if (outcome == "nothing")
            QVERIFY(f.tavola.surface()->hasDrawing() && f.label("lblNum1")->isHidden() && box->hasFocus());
        QCOMPARE(f.caption("lblScore2").toInt() - checks, outcome == "checked" ? 1 : 0);
        if (outcome == "checked")
            QVERIFY(f.get("cmdNext")->hasFocus());
        // The next question: Merlin asks it and the answer box takes the focus
        // (Alt+N presses the button as the eye can see).
        const auto asked = [&] { return f.agent.calls.mid(callsBefore).contains("Speak per") && box->hasFocus(); };
        if (outcome == "next")
            QTRY_VERIFY(asked());
        QVERIFY(asked() == (outcome == "next"));
    }

    // Every picture of the window is drawn at the screen's density, with no
    // image plugin within reach (see main()).
    void picturesDrawn_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("state");
        QTest::newRow("smiley, disabled") << "cmdNext" << "disabled";
        QTest::newRow("smiley") << "cmdNext" << "enabled";
        QTest::newRow("smiley, pressed") << "cmdNext" << "pressed";
        QTest::newRow("no-entry sign") << "cmdExit1" << "enabled";
        QTest::newRow("stopwatch") << "Image1" << "";
        QTest::newRow("window icon") << "Tavola" << "";
        QTest::newRow("pointer") << "surface" << "";
    }

    void picturesDrawn()
    {
        QFETCH(QString, control);
        QFETCH(QString, state);
        Fixture f;
        const qreal ratio = f.tavola.devicePixelRatioF();
        // The picture's place as drawn, and as it would be without it: the
        // icon and the pointer stand on nothing.
        QImage drawn, bare;
        QSize picture(32, 32);
        QColor ground = Qt::transparent;
        if (control == "Tavola") {
            drawn = f.tavola.windowIcon().pixmap(picture, ratio).toImage();
        } else if (control == "surface") {
            const QPixmap pointer = f.tavola.surface()->cursor().pixmap();
            picture = QSize(48, 48);
            QVERIFY(pointer.deviceIndependentSize() == QSizeF(picture) && pointer.devicePixelRatio() == ratio);
            drawn = pointer.toImage();
        } else if (control == "Image1") {
            QWidget *image = f.get("Image1");
            QCOMPARE(qobject_cast<QLabel *>(image)->pixmap().devicePixelRatio(), ratio);
            drawn = f.tavola.surface()->grab(image->geometry()).toImage();
            image->hide();
            bare = f.tavola.surface()->grab(image->geometry()).toImage();
        } else {
            auto *button = f.get<VbButton>(qPrintable(control));
            button->setEnabled(state != "disabled");
            button->setDown(state == "pressed");
            // The face above the caption, inside the bevel.
            const int caption = QFontMetrics(button->font()).height();
            drawn = button->grab(button->rect().adjusted(2, 2, -2, -2 - caption)).toImage();
            ground = button->backColor();
        }
        QVERIFY(!drawn.isNull());
        if (bare.isNull()) {
            bare = QImage(drawn.size(), drawn.format());
            bare.fill(ground);
        }
        int differ = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                differ += drawn.pixel(x, y) != bare.pixel(x, y);
        // Each picture covers a good part of its square.
        const int share = 100 * differ / (picture.width() * picture.height() * ratio * ratio);
        QVERIFY2(share >= 20, qPrintable(QStringLiteral("%1% of the picture drawn").arg(share)));
    }

    // A picture that cannot be drawn is reported; its button still works.
    void brokenPictureLeavesAWorkingButton_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::addColumn<QString>("cause");
        QTest::newRow("missing") << QByteArray() << ": ."; // the system's words, in the user's language
        QTest::newRow("not a picture") << QByteArray("<svg><g></svg") << "not a valid SVG picture";
    }

    void brokenPictureLeavesAWorkingButton()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, cause);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("face.svg"));
        QFile file(path);
        QVERIFY(content.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(content) == content.size()));
        file.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(path) + ".*" + cause));
        const Picture broken(path);
        VbButton button;
        button.setPictures(broken, broken, broken);
        QSignalSpy clicks(&button, &QAbstractButton::clicked);
        QVERIFY(!button.grab().isNull());
        button.click();
        QCOMPARE(clicks.size(), 1);
    }

    // A screen reader speaks and brailles the name of the control the focus
    // comes to: the answer box is named by the new question, and its text
    // is emptied, only once it has the focus (else the news of the emptying
    // was taken for the focus, and the question went unsaid); no focused
    // control is renamed or described anew under the screen reader.
    void screenReaderHearsEachQuestion_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("Enter") << Qt::Key_Return << Qt::KeyboardModifiers{};
        QTest::newRow("Space") << Qt::Key_Space << Qt::KeyboardModifiers{};
        QTest::newRow("Alt+N") << Qt::Key_N << Qt::KeyboardModifiers{Qt::AltModifier};
        QTest::newRow("click") << Qt::Key_unknown << Qt::KeyboardModifiers{};
    }

    void screenReaderHearsEachQuestion()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        Fixture f;
        g_told.clear();
        // The bridge comes up once the accessibility bus has answered.
        if (QGuiApplication::platformName() == QLatin1String("offscreen")
            || !QTest::qWaitFor([] { return QAccessible::isActive(); }, 5000))
            QSKIP("no accessibility bridge here: tst_window_screenreader runs this on X");
        const QAccessible::UpdateHandler before = QAccessible::installUpdateHandler(tell);
        const auto restore = qScopeGuard([before] { QAccessible::installUpdateHandler(before); });
        const auto asking = [&f] {
            return QStringLiteral("focus Text3: 3 per %1 / 3 per %1").arg(f.box("Text6")->text());
        };
        // The box is emptied before the window is on the screen, and met asking.
        QVERIFY(f.showAsking());
        QTRY_COMPARE(g_told, QStringList{asking()});
        for (const bool right : {true, false}) {
            f.box("Text3")->setText(right ? f.box("Text7")->text() : QStringLiteral("0"));
            g_told.clear();
            f.tavola.Command3_Click();
            QCOMPARE(g_told, QStringList{"focus cmdNext: Nuovo calcolo / " + f.caption("lblMessage")});
            g_told.clear();
            // Alt+N clicks the button a moment later, as it shows it pressed.
            press(f.get("cmdNext"), key, modifiers);
            QTRY_COMPARE(g_told, QStringList({asking(), "Text3 text"}));
        }
    }

    void failedCheckShowsItsEarlierSteps()
    {
        Fixture f;
        f.ask(1, 1);
        f.label("lblScore")->setCaption(QStringLiteral("tre"));
        f.label("lblNum1")->show();
        f.box("Text3")->setText(QStringLiteral("3"));
        f.get<QAbstractButton>("Command3")->click();
        QCOMPARE(f.dialogs.calls, QStringList{"MsgBox Errore di esecuzione in Command3_Click:\nTipo non corrispondente"});
        QCOMPARE(f.caption("lblMessage") + f.caption("lblScore"), QStringLiteral("Esatto. Sei forte!!!tre"));
        QVERIFY(f.label("lblMessage")->foreColor() == QColor(0, 0, 255) && f.label("lblNum1")->isHidden());
    }

    void gradientFillsTheWindow()
    {
        Fixture f;
        f.ask(4, 7);
        // 256 bands of equal height (to a pixel row), each one colour edge to
        // edge, from (60, G, 0) at the top to (60, G, 255) at the bottom.
        QImage image(f.tavola.surface()->size(), QImage::Format_RGB32);
        f.tavola.surface()->render(&image, {}, {}, QWidget::DrawWindowBackground);
        QList<int> heights;
        for (int y = 0; y < image.height(); ++y) {
            QCOMPARE(image.pixel(image.width() - 1, y), image.pixel(0, y));
            if (y == 0 || image.pixel(0, y) != image.pixel(0, y - 1))
                heights << 0;
            ++heights.last();
            QCOMPARE(image.pixel(0, y), qRgb(60, 80, int(heights.size()) - 1));
        }
        const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
        QVERIFY(heights.size() == 256 && *high - *low <= 1);
    }

    void startUpFailuresLeaveAGame_data()
    {
        QTest::addColumn<bool>("merlinMissing");
        QTest::addColumn<QString>("fault");
        const QString points = QString::fromLatin1(kPointsFileName), name = QString::fromLatin1(kNameFileName);
        QTest::newRow("both record files unusable") << false << points + ".*\n.*" + name;
        QTest::newRow("Merlin not there") << true << "personaggio";
    }

    void startUpFailuresLeaveAGame()
    {
        QFETCH(bool, merlinMissing);
        QFETCH(QString, fault);
        Fixture f;
        // A directory where a record file should be cannot be used.
        for (const char *file : {kPointsFileName, kNameFileName})
            QVERIFY(merlinMissing || QDir().mkpath(f.recordPath(file)));
        f.agent.failCharacter = merlinMissing;
        const auto *timer = f.get<QTimer>("Timer1");
        bool clockRan = false;
        f.dialogs.onMsgBox = [&] { clockRan = clockRan || timer->isActive(); };
        f.tavola.Form_Load();
        // One box naming what failed; the contest clock waits while it is open.
        QCOMPARE(f.dialogs.calls.size(), 3);
        QVERIFY2(f.dialogs.calls[2].contains(QRegularExpression("^MsgBox Errore di esecuzione in Form_Load:\n.*" + fault)),
                 qPrintable(f.dialogs.calls[2]));
        QVERIFY(!clockRan && timer->isActive());
        QCOMPARE(f.caption("lblpunti") + f.caption("lblnome"), merlinMissing ? "" : "0nome");
        QCOMPARE(f.agent.calls.contains(kIntro), !merlinMissing);
        // The child plays on, with or without Merlin, and no more boxes.
        f.dialogs.calls.clear();
        f.ask(1, 2);
        f.answer("6");
        QCOMPARE(f.dialogs.calls, QStringList());
        QCOMPARE(f.caption("lblScore") + f.caption("lblMessage"), "1Esatto. Sei forte!!!");
    }

    // From the name asked at start to the record saved at exit, in real files.
    void recordAcrossAGame_data()
    {
        QTest::addColumn<QByteArray>("stored"); // null: no record files yet
        QTest::addColumn<QByteArray>("storedName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("score");
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("saved");
        const QByteArray none, twelve("12\r\n"), lia("Lia\r\n");
        QTest::newRow("no files, 0") << none << none << "Zoe" << "Zoe" << 0 << "exit button" << false;
        QTest::newRow("empty files, 0, cancelled") << QByteArray("") << QByteArray("") << "" << "" << 0 << "exit button"
                                                   << false;
        QTest::newRow("12 beaten by 13, blanks kept") << twelve << lia << "   " << "   " << 13 << "exit button" << true;
        QTest::newRow("12 beaten by 13, window closed, control characters dropped")
            << twelve << lia << "Ada\r\n\tLove\x01" << "AdaLove" << 13 << "close" << true;
        QTest::newRow("12 beaten by 13, SIGTERM") << twelve << lia << "" << "" << 13 << "terminate" << true;
        QTest::newRow("12 against 12, SIGTERM") << twelve << lia << "Zoe" << "Zoe" << 12 << "terminate" << false;
        // A name longer than any prompt is made smaller, never over the points.
        QTest::newRow("long record name") << QByteArray("5") << QByteArray(200, 'W') << "Zoe" << "Zoe" << 0 << "close"
                                          << false;
    }

    void recordAcrossAGame()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, storedName);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(int, score);
        QFETCH(QString, how);
        QFETCH(bool, saved);
        Fixture f;
        if (!stored.isNull()) {
            f.writeRecordFile(kPointsFileName, stored);
            f.writeRecordFile(kNameFileName, storedName);
        }
        f.dialogs.name = typed;
        f.tavola.Form_Load();
        QCOMPARE(f.dialogs.calls, QStringList({"InputBox Come ti chiami?",
                                               "MsgBox  " + shown + " vediamo se sei un vero campione  "}));
        // No name at all: the window calls the child "Amico".
        const QString name = shown.isEmpty() ? QStringLiteral("Amico") : shown;
        QCOMPARE(f.caption("lblnome1") + '|' + f.box("Txtnome1")->text(), name + '|' + name);
        QCOMPARE(f.agent.calls, QStringList({"Load Merlin C:\\WINDOWS\\speech\\chars\\Merlin.chr", "Character Merlin",
                                             "Show", "MoveTo 250 175", "Play Announce", "Height 205", kIntro}));
        // Missing files are made empty; the record line shows what they hold.
        QCOMPARE(f.recordFile(kPointsFileName) + '|' + f.recordFile(kNameFileName), stored + '|' + storedName);
        QCOMPARE(f.caption("lblpunti") + f.caption("lblnome") + f.caption("lblconto"),
                 QString::fromLatin1(stored + storedName) + "00.07.00");
        const VbLabel *recordName = f.label("lblnome");
        QVERIFY(recordName->geometry().right() < f.label("Label13")->x() && recordName->font().pointSizeF() >= 8);
        QCOMPARE(recordName->font().pointSizeF() < 18, storedName.size() > 30);
        f.ask(1, 1);
        for (int i = 0; i < score; ++i)
            f.answerRight();
        f.dialogs.calls.clear();
        if (how == "terminate") {
            f.tavola.saveOnTermination();
        } else if (how == "close") {
            f.tavola.show();
            QVERIFY(!f.tavola.close());
        } else {
            f.get<VbButton>("cmdExit1")->click();
        }
        const QStringList boxes = saved ? QStringList{kGoodbye, kSaved} : QStringList{kGoodbye};
        QCOMPARE(f.dialogs.calls, how == "terminate" ? QStringList() : boxes);
        QCOMPARE(f.ends, 1);
        QCOMPARE(f.recordFile(kPointsFileName), saved ? QByteArray::number(score) + "\r\n" : stored);
        QCOMPARE(f.recordFile(kNameFileName), saved ? name.toUtf8() + "\r\n" : storedName);
    }

    // The first showing sets the clock and the counters going again; the
    // clock's end exits once, whatever ticks come while its boxes are open.
    void contest()
    {
        Fixture f;
        f.tavola.Form_Load();
        f.ask(1, 1);
        f.answerRight();
        f.tavola.Timer1_Timer();
        QCOMPARE(f.caption("lblconto"), QStringLiteral("00:06:59"));
        f.tavola.Form_Activate();
        QCOMPARE(f.caption("lblconto"), QStringLiteral("00.07.00"));
        // The counters start again from 0, whatever the labels showed.
        f.answerRight();
        QCOMPARE(f.caption("lblScore") + f.caption("lblScore2"), QStringLiteral("11"));
        // The label shows seven minutes again, but the contest runs on from its first tick.
        for (int tick = 2; tick <= 420; ++tick)
            f.tavola.Timer1_Timer();
        QVERIFY(f.ends == 0 && f.dialogs.calls.size() == 2);
        int ticks = 0;
        f.dialogs.onMsgBox = [&] {
            while (ticks < 3) {
                ++ticks;
                f.tavola.Timer1_Timer();
            }
        };
        f.tavola.Timer1_Timer();
        QCOMPARE(f.dialogs.calls.mid(2), QStringList({kGoodbye, kSaved}));
        QCOMPARE(f.recordFile(kPointsFileName), QByteArray("1\r\n"));
        QCOMPARE(f.ends, 1);
    }
};

int main(int argc, char *argv[])
{
    // Only the platform plugin is within reach: the window must draw its
    // pictures without Qt's image and icon plugins, which a system may lack.
    QCoreApplication::setLibraryPaths({});
    qputenv("QT_QPA_PLATFORM_PLUGIN_PATH", QLibraryInfo::path(QLibraryInfo::PluginsPath).toLocal8Bit() + "/platforms");
    QApplication app(argc, argv);
    if (QImageReader::supportedImageFormats().contains("svg")
        || !QIcon(QStringLiteral(":/zorvali/noentry.svg")).pixmap(32, 32).isNull()) {
        std::fputs("The SVG image plugins are within reach: the pictures' test would prove nothing.\n", stderr);
        return 1;
    }
    TestWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_window.moc"
