// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "drill/drillcontrols.h"

#include <QString>

#include <optional>

class AnswerBox;
class QLineEdit;
class QMainWindow;
class QPushButton;
class QTimer;
class Surface;
class VbButton;
class VbLabel;

// The window's controls, built from the table of their names, places,
// faces, colours and first captions; the window owns them as Qt children.
// The pointers keep the controls' own names.
class TavolaControls {
public:
    static constexpr int kClientWidth = 785;
    static constexpr int kClientHeight = 556;

    explicit TavolaControls(QMainWindow &window);

    // The caption's leading blanks centre the name in the title bar.
    static QString titleCaption();

    // The drill's controls as the widgets show them, and back.
    void read(DrillControls &drill) const;
    void show(const DrillControls &drill);
    // A long record holder's name is drawn smaller, on the same baseline,
    // rather than over "con punti".
    void fitRecordName();

    Surface *surface = nullptr;
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

private:
    static void buildMenu(QMainWindow &window);

    std::optional<DrillControls::Tint> m_shownGradient;
};
