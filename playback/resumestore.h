#pragma once

#include <QString>

#include <optional>

// Where the learner stopped in each recording: its loop points and position,
// and the answer file that was open with it, kept in a small file of its own (not the settings
// file) for the last 500 recordings. A missing or damaged file counts as empty and is written anew.
struct ResumePoint {
    double loopStart = -1.0;
    double loopEnd = -1.0;
    double position = 0.0;
    QString answerFile; // full path; empty: none was open
};

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
