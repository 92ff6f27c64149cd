#include "learner/learnerresumeplaces.h"

#include "learner/learnerdatabase.h"

#include <QFileInfo>
#include <QJsonDocument>

namespace {

QString placeText(const ResumePoint &point)
{
    return QString::fromUtf8(
        QJsonDocument(resumePointToJson(point)).toJson(QJsonDocument::Compact));
}

} // namespace

LearnerResumePlaces::LearnerResumePlaces(LearnerDatabase *database, QString oldFile)
    : m_database(database), m_oldFile(std::move(oldFile))
{}

void LearnerResumePlaces::importOnce() const
{
    if (m_imported)
        return;
    m_imported = true;
    if (m_oldFile.isEmpty() || !QFileInfo::exists(m_oldFile))
        return;
    QList<std::pair<QString, QString>> places;
    for (const auto &[path, point] : ResumeStore(m_oldFile).entries())
        places.append({path, placeText(point)});
    m_database->importResumePlacesOnce(places);
}

std::optional<ResumePoint> LearnerResumePlaces::find(const QString &recording) const
{
    if (const auto found = m_recent.constFind(recording); found != m_recent.cend())
        return *found;
    importOnce();
    const std::optional<QString> text = m_database->resumePlace(recording);
    if (!text)
        return std::nullopt;
    const QJsonDocument document = QJsonDocument::fromJson(text->toUtf8());
    if (!document.isObject())
        return std::nullopt;
    return resumePointFromJson(document.object());
}

bool LearnerResumePlaces::remember(const QString &recording, const ResumePoint &point)
{
    importOnce();
    m_recent.insert(recording, point);
    m_database->saveResumePlace(recording, placeText(point));
    return true;
}
