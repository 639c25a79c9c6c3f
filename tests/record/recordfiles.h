#pragma once

#include "record/recordstore.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Raw bytes of the files under test, bypassing the store.
inline QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size(), qPrintable(path));
}

inline void putPair(const QString &dir, const QByteArray &points, const QByteArray &name)
{
    putBytes(dir + "/" + kPointsFileName, points);
    putBytes(dir + "/" + kNameFileName, name);
}

// The pair and nothing else but the lock file: no temporary or marker left.
inline QStringList leftovers(const QString &dir)
{
    QStringList names = QDir(dir).entryList(QDir::Files | QDir::System | QDir::Hidden);
    names.removeAll(kPointsFileName);
    names.removeAll(kNameFileName);
    names.removeAll("zorvrec3.lock");
    return names;
}
