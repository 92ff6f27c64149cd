#include "playback/resumestore.h"

#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <utility>

namespace {

// Newest first.
QJsonArray load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    return document.isArray() ? document.array() : QJsonArray();
}

} // namespace

ResumePoint fitToLength(ResumePoint point, double length)
{
    const auto fits = [length](double t) { return std::isfinite(t) && t < length; };
    if (!fits(point.position) || point.position < 0)
        point.position = 0.0;
    if (point.loopStart >= 0 && !fits(point.loopStart))
        point.loopStart = point.loopEnd = -1.0;
    if (point.loopEnd >= 0 && !(std::isfinite(point.loopEnd) && point.loopEnd <= length))
        point.loopEnd = -1.0;
    return point;
}

QJsonObject resumePointToJson(const ResumePoint &point)
{
    QJsonObject entry{{QStringLiteral("loopStart"), point.loopStart},
                      {QStringLiteral("loopEnd"), point.loopEnd},
                      {QStringLiteral("position"), point.position}};
    if (!point.answerFile.isEmpty())
        entry.insert(QStringLiteral("answerFile"), point.answerFile);
    // Only when there is something to keep, so places without stay as they were.
    if (!point.cueShiftFor.isEmpty()) {
        if (point.cueShift != 0.0)
            entry.insert(QStringLiteral("cueShift"), point.cueShift);
        entry.insert(QStringLiteral("cueShiftFor"), point.cueShiftFor);
        if (point.cueShiftDeclined)
            entry.insert(QStringLiteral("cueShiftDeclined"), true);
    }
    return entry;
}

ResumePoint resumePointFromJson(const QJsonObject &entry)
{
    ResumePoint point;
    point.loopStart = entry.value(QStringLiteral("loopStart")).toDouble(-1.0);
    point.loopEnd = entry.value(QStringLiteral("loopEnd")).toDouble(-1.0);
    point.position = entry.value(QStringLiteral("position")).toDouble(0.0);
    point.answerFile = entry.value(QStringLiteral("answerFile")).toString();
    point.cueShift = entry.value(QStringLiteral("cueShift")).toDouble(0.0);
    if (!std::isfinite(point.cueShift))
        point.cueShift = 0.0;
    point.cueShiftFor = entry.value(QStringLiteral("cueShiftFor")).toString();
    point.cueShiftDeclined = entry.value(QStringLiteral("cueShiftDeclined")).toBool(false);
    return point;
}

ResumeStore::ResumeStore(QString filePath) : m_filePath(std::move(filePath)) {}

std::optional<ResumePoint> ResumeStore::find(const QString &recording) const
{
    for (const QJsonValue &value : load(m_filePath)) {
        const QJsonObject entry = value.toObject();
        if (entry.value(QStringLiteral("path")).toString() != recording)
            continue;
        return resumePointFromJson(entry);
    }
    return std::nullopt;
}

QList<std::pair<QString, ResumePoint>> ResumeStore::entries() const
{
    QList<std::pair<QString, ResumePoint>> places;
    for (const QJsonValue &value : load(m_filePath)) {
        const QJsonObject entry = value.toObject();
        const QString path = entry.value(QStringLiteral("path")).toString();
        if (!path.isEmpty())
            places.append({path, resumePointFromJson(entry)});
    }
    return places;
}

bool ResumeStore::remember(const QString &recording, const ResumePoint &point)
{
    QJsonArray entries = load(m_filePath);
    for (qsizetype i = entries.size() - 1; i >= 0; --i) {
        if (entries.at(i).toObject().value(QStringLiteral("path")).toString() == recording)
            entries.removeAt(i);
    }
    QJsonObject entry = resumePointToJson(point);
    entry.insert(QStringLiteral("path"), recording);
    entries.prepend(entry);
    while (entries.size() > MaxRecordings)
        entries.removeLast();
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    return writeFileAtomically(m_filePath, QJsonDocument(entries).toJson(QJsonDocument::Compact));
}
