#pragma once

#include <QString>

#include <optional>

// Where the learner stopped in each recording: its loop points and position,
// kept in a small file of its own (not the settings file) for the last 500
// recordings. A missing or damaged file counts as empty and is written anew.
struct ResumePoint {
    double loopStart = -1.0;
    double loopEnd = -1.0;
    double position = 0.0;
};

// The place as it fits a recording of this length: a position past the end
// becomes 0, a loop start at or past it drops the loop, a loop end past it
// drops the end.
ResumePoint fitToLength(ResumePoint point, double length);

class ResumeStore
{
public:
    static constexpr int MaxRecordings = 500;

    explicit ResumeStore(QString filePath);

    std::optional<ResumePoint> find(const QString &recording) const;
    // Remembers the place as the newest; the oldest beyond the cap are forgotten.
    bool remember(const QString &recording, const ResumePoint &point);

private:
    QString m_filePath;
};
