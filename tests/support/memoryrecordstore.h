#pragma once

#include "record/recordstore.h"

#include <QHash>
#include <QStringList>

#include <stdexcept>

// Record files held in memory, with switches to make each step fail.
class MemoryRecordStore final : public RecordStore {
public:
    QHash<QString, QString> files;
    QStringList calls;
    bool failDirectory = false;
    bool failRead = false;
    QString failSaveReason;

    static QString dir() { return QStringLiteral("/memoria/zorvali/"); }
    QString points() const { return files.value(dir() + QLatin1String(kPointsFileName)); }
    QString name() const { return files.value(dir() + QLatin1String(kNameFileName)); }

    QString GetSystemDir() override
    {
        calls << QStringLiteral("GetSystemDir");
        if (failDirectory)
            throw std::runtime_error("cartella non creata");
        return dir();
    }
    void createIfMissing(const QString &path) override
    {
        calls << QStringLiteral("createIfMissing ") + path;
        if (!files.contains(path))
            files.insert(path, QString());
    }
    QString Leggifiletxt(const QString &nomefile) override
    {
        calls << QStringLiteral("Leggifiletxt ") + nomefile;
        if (failRead)
            throw std::runtime_error("lettura non riuscita");
        return files.value(nomefile);
    }
    SaveOutcome saveIfBeaten(const QString &directory, const QString &scoreCaption, const QString &holder,
                             double shownRecord) override
    {
        calls << QStringLiteral("saveIfBeaten %1 %2 %3 %4").arg(directory, scoreCaption, holder).arg(shownRecord);
        if (!failSaveReason.isEmpty())
            return {SaveOutcome::Kind::Failed, failSaveReason};
        const double score = captionValue(scoreCaption);
        if (score <= shownRecord || score <= captionValue(points()))
            return {SaveOutcome::Kind::NotBeaten, {}};
        files.insert(directory + QLatin1String(kPointsFileName), scoreCaption + QStringLiteral("\r\n"));
        files.insert(directory + QLatin1String(kNameFileName), holder + QStringLiteral("\r\n"));
        return {SaveOutcome::Kind::Saved, {}};
    }
};
