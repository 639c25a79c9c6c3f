// SPDX-License-Identifier: GPL-3.0-or-later
#include "merlin/merlincharacter.h"

#include "merlin/choreography.h"
#include "merlin/performer.h"

#include <stdexcept>

MerlinCharacter::MerlinCharacter(Performer &performer)
    : m_performer(performer)
{
}

void MerlinCharacter::Show()
{
    Performer::Request request;
    request.kind = Performer::Request::Kind::Show;
    m_performer.enqueue(request);
}

void MerlinCharacter::MoveTo(int x, int y)
{
    Performer::Request request;
    request.kind = Performer::Request::Kind::MoveTo;
    request.point = QPoint(x, y);
    m_performer.enqueue(request);
}

void MerlinCharacter::Play(const QString &animation)
{
    const std::optional<QString> name = Choreography::canonicalName(animation);
    if (!name)
        throw std::invalid_argument(
            QStringLiteral("Merlin non conosce l'animazione \"%1\".").arg(animation).toStdString());
    Performer::Request request;
    request.kind = Performer::Request::Kind::Play;
    request.text = *name;
    m_performer.enqueue(request);
}

void MerlinCharacter::Height(int pixels)
{
    if (pixels <= 0 || pixels > kMaxHeight)
        throw std::invalid_argument(
            QStringLiteral("Altezza di Merlin non valida: %1 pixel.").arg(pixels).toStdString());
    Performer::Request request;
    request.kind = Performer::Request::Kind::Height;
    request.height = pixels;
    m_performer.enqueue(request);
}

void MerlinCharacter::Speak(const QString &text)
{
    Performer::Request request;
    request.kind = Performer::Request::Kind::Speak;
    request.text = text;
    m_performer.enqueue(request);
}
