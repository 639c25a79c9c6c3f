// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include "app/shape.h"
#include "app/surface.h"

#include <QAccessible>
#include <QApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

namespace {

// A control's look in one line: place, face, colours, frame, alignment,
// pointer, visibility and its caption or text.
QString look(const QWidget *w)
{
    const QFont font = w->font();
    QStringList parts{QStringLiteral("@%1,%2").arg(w->x()).arg(w->y())};
    if (const auto *shape = qobject_cast<const Shape *>(w))
        return QStringLiteral("%1 %2 %3").arg(parts[0], shape->form() == Shape::Form::Circle ? "circle" : "rectangle",
                                               shape->fill().name());
    if (w->testAttribute(Qt::WA_SetFont)) {
        parts << font.family() << QString::number(font.pointSizeF());
        if (font.weight() == QFont::Black)
            parts << "black";
        else if (font.bold())
            parts << "bold";
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
    } else if (const auto *button = qobject_cast<const VbButton *>(w)) {
        parts << "on " + button->backColor().name();
        caption = button->text();
    } else if (const auto *button = qobject_cast<const QPushButton *>(w)) {
        caption = button->text();
    }
    if (w->property("alignment").value<Qt::Alignment>() & Qt::AlignHCenter)
        parts << "centred";
    if (w->testAttribute(Qt::WA_SetCursor) && w->cursor().shape() == Qt::ArrowCursor)
        parts << "arrow";
    if (w->isHidden())
        parts << "hidden";
    return parts.join(u' ') + " \"" + caption + '"';
}

QStringList lookOfEveryControl(const Tavola &tavola)
{
    QStringList looks;
    for (const QWidget *w : tavola.centralWidget()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        looks << w->objectName() + ' ' + look(w);
    return looks;
}

} // namespace

// The window as the child sees it, and the drill shown on it.
class TestWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void staticLook_data()
    {
        QTest::addColumn<QString>("look");
        QTest::addColumn<QString>("tip");
        const QString sans = "Liberation Sans ", serif = "Liberation Serif ";
        QTest::newRow("Shape4") << "@0,0 rectangle #00c0c0" << "";
        QTest::newRow("Shape2") << "@8,8 rectangle #00ffff" << "";
        QTest::newRow("Shape5") << "@560,0 circle #00c0c0" << "";
        QTest::newRow("Shape3") << "@567,3 circle #00ffff" << "";
        QTest::newRow("Shape1") << "@192,328 rectangle #00ffff" << "";
        QTest::newRow("lblMessage") << "@424,136 " + sans + "24 bold italic #ff0000 clear centred arrow \"io\"" << "";
        QTest::newRow("lblNum1") << "@256,0 " + sans + "48 bold #000000 on #00ffff border centred hidden \"\"" << "";
        QTest::newRow("Label10") << "@376,8 " + sans + "48 #000000 on #80ffff centred hidden \"X\"" << "";
        QTest::newRow("lblNum2") << "@504,0 " + sans + "48 bold #000000 on #00ffff border centred hidden \"\"" << "";
        QTest::newRow("Label11") << "@618,48 " + serif + "14.25 #ffff00 clear \"Tempo restante\"" << "";
        QTest::newRow("lblconto") << "@624,80 " + sans + "12 black #ffff00 on #8080ff border centred \"00.07.00\"" << "";
        QTest::newRow("Label6") << "@24,16 " + serif + "21.75 #ffff80 clear border centred \"Risposte esatte\"" << "";
        QTest::newRow("lblScore") << "@96,56 " + serif + "21.75 bold #ffff80 clear border centred \"0\""
                                  << QString::fromUtf8("Questo è il tuo punteggio. Forza con il  record");
        QTest::newRow("Label1") << "@24,104 " + serif + "21.75 #ff0000 clear border \"Risposte errate\"" << "";
        QTest::newRow("lblScore1") << "@104,144 " + serif + "21.75 bold #ff0000 clear border centred \"0\"" << "";
        QTest::newRow("Label3") << "@24,192 " + serif + "21.75 #0000ff clear border \"Risposte totali\"" << "";
        QTest::newRow("lblScore2") << "@104,240 " + serif + "21.75 bold #0000ff clear border centred \"0\"" << "";
        QTest::newRow("Label14") << "@8,424 " + sans + "13.5 #ffff00 clear border centred \"Sfidante\"" << "";
        QTest::newRow("lblnome1") << "@8,480 " + sans + "13.5 bold #ffff00 clear border \"\"" << "";
        QTest::newRow("Label12") << "@8,512 " + sans + QString::fromUtf8("18 #c000c0 clear \"Il record  è di \"") << "";
        QTest::newRow("lblnome") << "@160,512 " + sans + "18 bold #0000ff clear \"nome\"" << "";
        QTest::newRow("Label13") << "@400,512 " + sans + "18 #c000c0 clear \"con punti\"" << "";
        QTest::newRow("lblpunti") << "@512,512 " + sans + "18 #c000c0 clear \"0\"" << "";
        QTest::newRow("Image1") << "@659,8 \"\"" << "Clicca sotto di me per impostare il Timer";
        QTest::newRow("Text3") << "@208,336 " + sans + "48 #0000ff on #ffff80 centred \"Text3\""
                               << "Scrivi il numero e poi premi  il tasto Return (Invio)";
        QTest::newRow("cmdNext") << "@208,424 " + sans + "8.25 bold on #ff80ff arrow \"&Nuovo calcolo\""
                                 << "Usa il tasto Return(invio) per l'esercizio successivo";
        QTest::newRow("cmdExit1") << "@544,424 " + sans + "8.25 bold on #00c0c0 \"E&xit\""
                                  << "Ti prego resta ancora, forse riuscirai a farmi uscire ";
        QTest::newRow("Text1") << "@0,0 hidden \"0\"" << "";
        QTest::newRow("Text6") << "@0,0 hidden \"Text6\"" << "";
        QTest::newRow("Text7") << "@0,0 hidden \"Text7\"" << "";
        QTest::newRow("Txtnome1") << "@0,0 hidden \"Text8\"" << "";
        QTest::newRow("Command3") << "@0,0 hidden \"verifica\"" << "";
    }

    void staticLook()
    {
        QFETCH(QString, look);
        QFETCH(QString, tip);
        Fixture f;
        const auto *w = f.tavola.centralWidget()->findChild<QWidget *>(QTest::currentDataTag());
        QVERIFY(w);
        QCOMPARE(::look(w), look);
        QCOMPARE(w->toolTip(), tip);
    }

    void windowBeforeLoad()
    {
        Fixture f;
        // 83 blanks push the name to the middle of the title bar, 31 keep
        // the contact line apart, 4 close it.
        const QString title = f.tavola.windowTitle();
        const qsizetype contact = title.size() - 4 - (83 + 7 + 31);
        QCOMPARE(title, QString(83, u' ') + "ZORVALI" + QString(31, u' ') + title.mid(121, contact) + QString(4, u' '));
        QVERIFY(contact > 0 && !title.at(121).isSpace() && !title.at(120 + contact).isSpace());
        QCOMPARE(f.tavola.centralWidget()->size(), QSize(785, 556));
        const auto *timer = f.tavola.findChild<QTimer *>(QStringLiteral("Timer1"));
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 1000);
        QVERIFY(!f.button("cmdNext")->isEnabled() && f.button("cmdExit1")->isEnabled());

        // Four entries, two with items; choosing any changes nothing.
        QStringList entries;
        for (QAction *entry : f.tavola.menuBar()->actions()) {
            entries << (entry->menu() ? entry->menu()->objectName() : entry->objectName());
            for (QAction *item : entry->menu() ? entry->menu()->actions() : QList<QAction *>{})
                entries.last() += ' ' + item->objectName();
        }
        QCOMPARE(entries, QStringList({"mnuScuola is", "Ciao INFOMAZIONI mnuPosta", "free", "comune"}));
        const QStringList before = lookOfEveryControl(f.tavola);
        for (QAction *action : f.tavola.menuBar()->findChildren<QAction *>())
            action->trigger();
        QCOMPARE(lookOfEveryControl(f.tavola), before);
        QVERIFY(f.agent.calls.isEmpty());
    }

    void keyboard()
    {
        // What a screen reader says as the focus comes to a control.
        QStringList heard;
        connect(qApp, &QApplication::focusChanged, this,
                [&heard](QWidget *, QWidget *now) { heard << (now ? now->accessibleDescription() : QString()); });
        Fixture f;
        f.tavola.show();
        // A screen reader meets every visible control with a name (a value
        // label's is its value, so the empty one has its description) and a role.
        for (QWidget *w : f.tavola.centralWidget()->findChildren<QWidget *>()) {
            const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(w);
            const bool named = !accessible->text(QAccessible::Name).isEmpty() || !w->accessibleDescription().isEmpty();
            const bool role = accessible->role() != QAccessible::Client && accessible->role() != QAccessible::NoRole;
            QVERIFY2((named && role) || !w->isVisible(), qPrintable(w->objectName()));
        }
        QVERIFY(QTest::qWaitForWindowActive(&f.tavola));
        // The first showing asks the first question.
        QTRY_COMPARE(f.tavola.focusWidget(), f.box("Text3"));
        QCOMPARE(f.agent.calls.size(), 8);
        // Alt+N does nothing while "Nuovo calcolo" is disabled.
        QTest::keyClick(&f.tavola, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(f.agent.calls.size(), 8);
        // Tab goes round the exit button and the answer box only.
        QTest::keyClick(f.box("Text3"), Qt::Key_Tab);
        QCOMPARE(f.tavola.focusWidget(), f.button("cmdExit1"));
        QTest::keyClick(f.button("cmdExit1"), Qt::Key_Tab);
        QCOMPARE(f.tavola.focusWidget(), f.box("Text3"));
        const QString question = "3 per " + f.box("Text6")->text();

        // Every typed character, control characters too, clears the drawing
        // and shows the factors; Ctrl+M is Enter and checks.
        const QList<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys{
            {Qt::Key_7, {}}, {Qt::Key_Backspace, {}}, {Qt::Key_Escape, {}}, {Qt::Key_A, Qt::ControlModifier}};
        for (const auto &[key, modifiers] : keys) {
            f.tavola.surface()->paintGradient(60, 100);
            f.label("lblNum1")->hide();
            QTest::keyClick(f.box("Text3"), key, modifiers);
            QVERIFY2(!f.tavola.surface()->hasDrawing() && f.label("lblNum1")->isVisible(), qPrintable(QString::number(key)));
            QVERIFY(f.label("Label10")->isVisible() && f.label("lblNum2")->isVisible());
            QCOMPARE(f.caption("lblScore2"), QStringLiteral("0"));
        }
        QTest::keyClick(f.box("Text3"), Qt::Key_M, Qt::ControlModifier);
        QCOMPARE(f.caption("lblScore2"), QStringLiteral("1"));
        QVERIFY(f.label("lblNum1")->isHidden() && f.label("Label10")->isHidden() && f.label("lblNum2")->isHidden());
        QCOMPARE(f.tavola.focusWidget(), f.button("cmdNext"));
        QCOMPARE(heard.filter(QRegularExpression("\\S")), QStringList({question, question, "Sbagliato!! 3"}));
        QCOMPARE(f.label("lblMessage")->foreColor(), QColor(255, 0, 0));
        // Enter on "Nuovo calcolo" asks the next question.
        QTest::keyClick(f.button("cmdNext"), Qt::Key_Return);
        QCOMPARE(f.agent.calls.size(), 8 + 7 + 8);
        QCOMPARE(f.tavola.focusWidget(), f.box("Text3"));
        // 250 characters at most.
        QTest::keyClicks(f.box("Text3"), QString(260, u'7'));
        QCOMPARE(f.box("Text3")->text(), QString(250, u'7'));
    }

    void activationResets()
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
        f.answer(f.box("Text7")->text());
        QCOMPARE(f.caption("lblScore") + f.caption("lblScore2"), QStringLiteral("11"));
    }

    void failedCheckShowsItsEarlierSteps()
    {
        Fixture f;
        f.ask(1, 1);
        f.label("lblScore")->setCaption(QStringLiteral("tre"));
        f.label("lblNum1")->show();
        f.box("Text3")->setText(QStringLiteral("3"));
        f.tavola.findChild<QPushButton *>(QStringLiteral("Command3"))->click();
        QCOMPARE(f.dialogs.calls, QStringList{"MsgBox Errore di esecuzione in Command3_Click:\nTipo non corrispondente"});
        QCOMPARE(f.caption("lblMessage"), QStringLiteral("Esatto. Sei forte!!!"));
        QCOMPARE(f.label("lblMessage")->foreColor(), QColor(0, 0, 255));
        QVERIFY(f.label("lblNum1")->isHidden());
        QCOMPARE(f.caption("lblScore"), QStringLiteral("tre"));
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
        QCOMPARE(heights.size(), 256);
        const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
        QVERIFY(*high - *low <= 1);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
