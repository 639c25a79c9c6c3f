// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "record/recordstore.h"

#include <QHash>

#include <algorithm>

// Record files held in memory, so the window's figures leave the disk out.
class MemoryRecordStore final : public RecordStore {
public:
    QHash<QString, QString> files;

    QString GetSystemDir() override { return QStringLiteral("/memoria/zorvali/"); }
    void createIfMissing(const QString &path) override { files.insert(path, files.value(path)); }
    QString Leggifiletxt(const QString &path) override { return files.value(path); }
    SaveOutcome saveIfBeaten(const QString &dir, const QString &score, const QString &name,
                             const QString &shown) override
    {
        const QString points = dir + QLatin1String(kPointsFileName);
        if (captionValue(score) <= std::max(captionValue(shown), captionValue(files.value(points))))
            return {};
        files.insert(points, score + QStringLiteral("\r\n"));
        files.insert(dir + QLatin1String(kNameFileName), name + QStringLiteral("\r\n"));
        return {SaveOutcome::Kind::Saved, {}};
    }
};
