#pragma once

#include "playback/resumestore.h"

#include <QHash>

class LearnerDatabase;

// The resume places kept in the learner database. The places of the older
// resume file are taken over once, the first time the database is used; the
// file itself stays where it is.
class LearnerResumePlaces : public ResumePlaces
{
public:
    LearnerResumePlaces(LearnerDatabase *database, QString oldFile);

    std::optional<ResumePoint> find(const QString &recording) const override;
    bool remember(const QString &recording, const ResumePoint &point) override;

private:
    void importOnce() const;

    LearnerDatabase *m_database;
    QString m_oldFile;
    mutable bool m_imported = false;
    // What was remembered in this run: the write may still be under way, and
    // the database may be unusable.
    QHash<QString, ResumePoint> m_recent;
};
