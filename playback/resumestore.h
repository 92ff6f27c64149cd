#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

// Where the learner stopped in each recording: its loop points and position,
// and the answer file that was open with it, kept in a small file of its own (not the settings
// file) for the last 500 recordings. A missing or damaged file counts as empty and is written anew.
struct ResumePoint {
    double loopStart = -1.0;
    double loopEnd = -1.0;
    double position = 0.0;
    QString answerFile = {}; // full path; empty: none was open
    // How far the recording's subtitle cues are off its speech (seconds,
    // positive: the cues come early), found for the cues of cueShiftFor (a
    // sentence source's identity); moved by unless the learner declined.
    double cueShift = 0.0;
    QString cueShiftFor = {};
    bool cueShiftDeclined = false;
};

// The place as it fits a recording of this length: a position past the end
// becomes 0, a loop start at or past it drops the loop, a loop end past it
// drops the end.
ResumePoint fitToLength(ResumePoint point, double length);

// A place as stored, and back; what is missing or wrong reads as unset.
QJsonObject resumePointToJson(const ResumePoint &point);
ResumePoint resumePointFromJson(const QJsonObject &entry);

// Where the window keeps the places: the learner database, or the file below.
class ResumePlaces
{
public:
    virtual ~ResumePlaces() = default;
    virtual std::optional<ResumePoint> find(const QString &recording) const = 0;
    // Remembers the place as the newest; the oldest beyond the cap are forgotten.
    virtual bool remember(const QString &recording, const ResumePoint &point) = 0;
};

class ResumeStore : public ResumePlaces
{
public:
    static constexpr int MaxRecordings = 500;

    explicit ResumeStore(QString filePath);

    std::optional<ResumePoint> find(const QString &recording) const override;
    bool remember(const QString &recording, const ResumePoint &point) override;
    // Every place kept, newest first.
    QList<std::pair<QString, ResumePoint>> entries() const;

private:
    QString m_filePath;
};
