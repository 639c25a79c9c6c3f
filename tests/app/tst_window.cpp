// SPDX-License-Identifier: GPL-3.0-or-later
#include "fixture.h"

#include "app/shape.h"
#include "app/surface.h"
#include "drill/clockrandom.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>

namespace {

// What the surface shows behind its controls, in device pixels.
QImage shown(Surface &surface, const QRect &area)
{
    const qreal dpr = surface.devicePixelRatioF();
    QImage image((QSizeF(area.size()) * dpr).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    surface.render(&image, {}, area, QWidget::DrawWindowBackground);
    return image;
}

} // namespace

// The window as the child first sees it, and the questions it asks.
class TestWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void labelsAtStart_data()
    {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("visible");
        // Pixels at 96 dpi: twips / 15.
        QTest::newRow("lblMessage") << QRect(424, 136, 87, 85) << "io" << true;
        QTest::newRow("lblNum1") << QRect(256, 0, 23, 79) << "" << false;
        QTest::newRow("Label10") << QRect(376, 8, 41, 65) << "X" << false;
        QTest::newRow("lblNum2") << QRect(504, 0, 23, 79) << "" << false;
        QTest::newRow("Label11") << QRect(618, 48, 121, 41) << "Tempo restante" << true;
        QTest::newRow("lblconto") << QRect(624, 80, 105, 25) << "00.07.00" << true;
        QTest::newRow("Label6") << QRect(24, 16, 175, 37) << "Risposte esatte" << true;
        QTest::newRow("lblScore") << QRect(96, 56, 21, 36) << "0" << true;
        QTest::newRow("Label1") << QRect(24, 104, 173, 37) << "Risposte errate" << true;
        QTest::newRow("lblScore1") << QRect(104, 144, 20, 36) << "0" << true;
        QTest::newRow("Label3") << QRect(24, 192, 167, 37) << "Risposte totali" << true;
        QTest::newRow("lblScore2") << QRect(104, 240, 21, 36) << "0" << true;
        QTest::newRow("Label14") << QRect(8, 424, 95, 28) << "Sfidante" << true;
        QTest::newRow("lblnome1") << QRect(8, 480, 43, 28) << "" << true;
        QTest::newRow("Label12") << QRect(8, 512, 153, 25) << QString::fromUtf8("Il record  è di ") << true;
        QTest::newRow("lblnome") << QRect(160, 512, 66, 29) << "nome" << true;
        QTest::newRow("Label13") << QRect(400, 512, 97, 29) << "con punti" << true;
        QTest::newRow("lblpunti") << QRect(512, 512, 13, 29) << "0" << true;
    }

    void labelsAtStart()
    {
        QFETCH(QRect, geometry);
        QFETCH(QString, caption);
        QFETCH(bool, visible);
        Fixture f;
        f.tavola.show();
        const VbLabel *label = f.label(QTest::currentDataTag());
        QVERIFY(label);
        // A label sized to its text keeps its corner and grows only where the
        // font needs a few more pixels than the classic faces did.
        QCOMPARE(label->pos(), geometry.topLeft());
        QVERIFY(label->width() >= geometry.width() && label->width() <= geometry.width() * 5 / 4 + 2);
        QVERIFY(label->height() >= geometry.height() && label->height() <= geometry.height() * 5 / 4 + 2);
        QCOMPARE(label->caption(), caption);
        QCOMPARE(label->isVisible(), visible);
    }

    void controlsAtStart()
    {
        Fixture f;
        f.tavola.show();
        QCOMPARE(f.box("Text3")->text(), QStringLiteral("Text3"));
        // Every visible control has a name and a role of its own; a value
        // label's name is its value, so the empty challenger label has only
        // its description.
        for (QWidget *w : f.tavola.centralWidget()->findChildren<QWidget *>()) {
            const auto *label = qobject_cast<VbLabel *>(w);
            const QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(w);
            const bool named = !accessible->text(QAccessible::Name).isEmpty()
                               || (label && label->caption().isEmpty() && !w->accessibleDescription().isEmpty());
            const bool ownRole = accessible->role() != QAccessible::Client && accessible->role() != QAccessible::NoRole;
            QVERIFY2((named && ownRole) || !w->isVisible(), qPrintable(w->objectName()));
        }
        QVERIFY(QTest::qWaitForWindowActive(&f.tavola));
        QCOMPARE(f.tavola.centralWidget()->size(), QSize(785, 556));
        QCOMPARE(f.box("Text3")->geometry(), QRect(208, 336, 457, 75));
        QCOMPARE(f.button("cmdNext")->geometry(), QRect(208, 424, 121, 57));
        QCOMPARE(f.button("cmdExit1")->geometry(), QRect(544, 424, 121, 57));
        QVERIFY(!f.button("cmdNext")->isEnabled());
        QVERIFY(f.button("cmdExit1")->isEnabled());

        // Tab goes round the exit button and the answer box, and takes in the
        // next-question button once it is enabled.
        const auto tab = [] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            return QApplication::focusWidget()->objectName();
        };
        f.button("cmdExit1")->setFocus();
        QCOMPARE(tab(), QStringLiteral("Text3"));
        QCOMPARE(tab(), QStringLiteral("cmdExit1"));
        f.button("cmdNext")->setEnabled(true);
        QCOMPARE(tab(), QStringLiteral("Text3"));
        QCOMPARE(tab(), QStringLiteral("cmdNext"));
        QCOMPARE(tab(), QStringLiteral("cmdExit1"));

        f.box("Text3")->clear();
        QTest::keyClicks(f.box("Text3"), QString(260, u'7'));
        QCOMPARE(f.box("Text3")->text(), QString(250, u'7'));
    }

    void newQuestion_data()
    {
        QTest::addColumn<int>("shade");
        QTest::addColumn<int>("factor");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("words");
        QTest::newRow("shade 1, factor 1") << 1 << 1 << "3" << "uno";
        QTest::newRow("shade 10, factor 10") << 10 << 10 << "30" << "dieci";
    }

    void newQuestion()
    {
        QFETCH(int, shade);
        QFETCH(int, factor);
        QFETCH(QString, product);
        QFETCH(QString, words);
        Fixture f;
        f.tavola.show();
        f.label("lblNum1")->show();
        f.ask(shade, factor);

        QCOMPARE(f.agent.calls, QStringList({"Character Merlin", "Show", "MoveTo 250 175", "Play Greet", "Height 205",
                                             "Speak 3", "Speak per", "Speak " + words}));
        QCOMPARE(f.box("Text1")->text(), QStringLiteral("3"));
        QCOMPARE(f.caption("lblNum1"), QStringLiteral("3"));
        QCOMPARE(f.caption("lblNum2"), QString::number(factor));
        QCOMPARE(f.box("Text7")->text(), product);
        QCOMPARE(f.box("Text6")->text(), words);
        QCOMPARE(f.box("Text3")->accessibleDescription(), "3 per " + words);
        QCOMPARE(f.caption("lblMessage"), QString());
        QVERIFY(f.box("Text3")->text().isEmpty());
        QCOMPARE(f.tavola.focusWidget(), f.box("Text3"));
        QVERIFY(f.label("lblNum1")->isHidden() && f.label("lblNum2")->isHidden() && f.label("Label10")->isHidden());

        // 256 bands of equal height (to a pixel row), each one colour edge to
        // edge, from (60, G, 0) at the top to (60, G, 255) at the bottom.
        const QImage image = shown(*f.tavola.surface(), f.tavola.surface()->rect());
        QList<int> heights;
        for (int y = 0; y < image.height(); ++y) {
            QCOMPARE(image.pixel(image.width() - 1, y), image.pixel(0, y));
            if (y == 0 || image.pixel(0, y) != image.pixel(0, y - 1))
                heights << 0;
            ++heights.last();
            QCOMPARE(image.pixel(0, y), qRgb(60, 20 * shade, int(heights.size()) - 1));
        }
        QCOMPARE(heights.size(), 256);
        const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
        QVERIFY(*high - *low <= 1);
    }

    void drawsEveryShadeAndFactor()
    {
        Fixture f;
        ClockRandom random;
        Tavola tavola({f.agent, f.store, f.dialogs, random, {}});
        QSet<int> shades;
        QSet<int> factors;
        for (int i = 0; i < 3000; ++i) {
            tavola.cmdNext_Click();
            shades << tavola.backgroundShade().value();
            factors << tavola.secondFactor().value();
            QCOMPARE(qGreen(shown(*tavola.surface(), {0, 0, 1, 1}).pixel(0, 0)), 20 * tavola.backgroundShade().value());
        }
        const QSet<int> oneToTen{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        QCOMPARE(shades, oneToTen);
        QCOMPARE(factors, oneToTen);
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
