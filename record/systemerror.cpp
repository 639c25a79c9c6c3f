// SPDX-License-Identifier: GPL-3.0-or-later
#include "record/systemerror.h"

#include <cerrno>
#include <cstring>

QString systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return QStringLiteral("spazio su disco esaurito");
    case EDQUOT:
        return QStringLiteral("quota del disco esaurita");
    case EFBIG:
        return QStringLiteral("superato il limite di dimensione dei file");
    case EROFS:
        return QStringLiteral("il disco è in sola lettura");
    case EACCES:
    case EPERM:
        return QStringLiteral("permesso negato");
    case ENOENT:
        return QStringLiteral("la cartella o il file non esiste");
    case ENOTDIR:
        return QStringLiteral("una parte del percorso non è una cartella");
    case EISDIR:
        return QStringLiteral("al posto del file c'è una cartella");
    case EIO:
        return QStringLiteral("errore di lettura o scrittura del disco");
    case ENAMETOOLONG:
        return QStringLiteral("percorso troppo lungo");
    case ELOOP:
        return QStringLiteral("troppi collegamenti simbolici nel percorso");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("troppi file aperti");
    case ENXIO:
        return QStringLiteral("al posto del file c'è un dispositivo o una pipe");
    default:
        return QStringLiteral("errore di sistema %1 (%2)").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
    }
}
