// SPDX-License-Identifier: GPL-3.0-or-later
#include "drill/drill.h"

#include "drill/randomsource.h"
#include "drill/stepforward.h"
#include "speech/agent.h"
#include "speech/numlett.h"

#include <array>
#include <stdexcept>
#include <utility>

namespace {

struct Praise {
    int p;
    const char *animation;
    const char *text;
};

// Tested in this order; at most one row applies.
constexpr std::array<Praise, 8> kLadder = {{
    {2, "congratulate", "Sei grande"},
    {5, "domagic1", "Sei forte"},
    {14, "congratulate", "Sei eccezionale"},
    {13, "domagic2", "Sei in gamba"},
    {10, "congratulate", "Sei sulla buona strada per diventare cavaliere"},
    {18, "congratulate", "Sei insuperabile"},
    {23, "congratulate", "Ti nomino cavaliere della tabellina, il massimo ordine per un eroe"},
    {27, "congratulate", "Hai lavorato bene mio leale campione: sei invincibile"},
}};

// What Merlin says for the (p+1)-th right answer of the contest.
void praise(Character &merlin, int p, const QString &name, const QString &product)
{
    if (p < 10)
        merlin.Speak(QStringLiteral("Esatto"));
    if (p > 10)
        merlin.Speak(QStringLiteral("Giusto"));
    if (p == 3 || p == 7 || p == 12 || p == 21 || p == 26)
        merlin.Speak(name);
    merlin.Speak(product);
    for (const Praise &row : kLadder) {
        if (row.p == p) {
            merlin.Play(QLatin1String(row.animation));
            merlin.Speak(QLatin1String(row.text));
        }
    }
}

} // namespace

Drill::Drill(AgentControl &agent, RandomSource &random, FaultReport reportFault)
    : m_agent(agent), m_random(random), m_reportFault(std::move(reportFault))
{
}

void Drill::resetAnswers()
{
    m_rightAnswers = Int16(0);
    m_wrongAnswers = Int16(0);
}

Int16 Drill::drawOneToTen()
{
    // Int(r × 10) + 1, kept within 1 to 10 should a source ever return 1.0.
    const int drawn = static_cast<int>(m_random.Rnd() * 10) + 1;
    return Int16(drawn < 1 ? 1 : drawn > 10 ? 10 : drawn);
}

void Drill::withMerlin(const char *handler, const std::function<void(Character &)> &steps)
{
    // Without Merlin the drill goes on: his part is skipped, and a failed
    // fetch is reported once.
    if (m_merlinMissing)
        return;
    Character *merlin = nullptr;
    try {
        merlin = &m_agent.Characters().Character(QStringLiteral("Merlin"));
    } catch (const std::exception &error) {
        m_merlinMissing = true;
        m_reportFault(handler, QString::fromUtf8(error.what()));
        return;
    }
    try {
        steps(*merlin);
    } catch (const std::exception &error) {
        m_reportFault(handler, QString::fromUtf8(error.what()));
    }
}

void Drill::cmdNext_Click()
{
    DrillControls &c = m_controls;
    c.factorsVisible = false;
    c.lblMessage.clear();
    m_random.Randomize();
    m_firstFactor = Int16(3);
    m_backgroundShade = drawOneToTen();
    c.Text1 = m_firstFactor.toString();
    c.lblNum1 = m_firstFactor.toString();
    m_secondFactor = drawOneToTen();
    c.lblNum2 = m_secondFactor.toString();
    c.Text7 = (m_secondFactor * m_firstFactor).toString();
    c.Text6 = numlett(m_secondFactor.value());
    withMerlin("cmdNext_Click", [&c](Character &merlin) {
        stepForward(merlin, QStringLiteral("Greet"));
        merlin.Speak(c.Text1);
        merlin.Speak(QStringLiteral("per"));
        merlin.Speak(c.Text6);
    });
    c.Text3.clear();
    c.focus = DrillControls::Focus::Text3;
    const Int16 twenty(20);
    c.gradient = DrillControls::Tint{(twenty * m_firstFactor).value(), (twenty * m_backgroundShade).value()};
}

void Drill::Text3_KeyPress(char16_t charCode)
{
    m_controls.gradient.reset();
    m_controls.factorsVisible = true;
    if (charCode == 13)
        Command3_Click();
}

void Drill::Command3_Click()
{
    DrillControls &c = m_controls;
    c.factorsVisible = false;
    // Exact text: no trimming and no conversion, so " 21" and "021" are wrong.
    if (c.Text3 == c.Text7) {
        c.lblMessageColor = DrillControls::kBlue;
        c.lblMessage = QStringLiteral("Esatto. Sei forte!!!");
        m_rightAnswers = m_rightAnswers + Int16(1);
        // Not yet rewritten for this answer: the right answers before it.
        bool isNumber = false;
        const int p = c.lblScore.toInt(&isNumber);
        if (!isNumber)
            throw std::runtime_error("Tipo non corrispondente");
        withMerlin("Command3_Click", [&c, p](Character &merlin) {
            stepForward(merlin);
            praise(merlin, p, c.Txtnome1, c.Text7);
        });
    } else {
        c.lblMessageColor = DrillControls::kRed;
        c.lblMessage = QStringLiteral("Sbagliato!! ") + c.Text7;
        m_wrongAnswers = m_wrongAnswers + Int16(1);
        withMerlin("Command3_Click", [&c](Character &merlin) {
            stepForward(merlin, QStringLiteral("Greet"));
            merlin.Speak(QStringLiteral("Sbagliato"));
            merlin.Speak(c.Text7);
        });
        c.lblScore1 = m_wrongAnswers.toString();
        c.cmdNextEnabled = true;
        c.focus = DrillControls::Focus::cmdNext;
    }
    c.lblScore = m_rightAnswers.toString();
    c.lblScore2 = (m_rightAnswers + m_wrongAnswers).toString();
    c.cmdNextEnabled = true;
    c.focus = DrillControls::Focus::cmdNext;
}
