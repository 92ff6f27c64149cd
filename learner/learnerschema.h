#pragma once

#include <QString>

class QSqlDatabase;

// The layout of the learner database, by `PRAGMA user_version`. Each step
// takes the file from the version before it to its own, in one transaction;
// a new version only ever adds a step at the end.
namespace LearnerSchema {

// The version this program writes.
int currentVersion();

enum class Outcome {
    Ready,   // at the current version
    Newer,   // written by a later program: left as it is
    Damaged, // not a database, or unreadable
    Failed,  // could not be changed (read-only, full, locked)
};

struct Result {
    Outcome outcome = Outcome::Failed;
    int nativeCode = 0; // SQLite's result code of the failing statement
    QString detail;
};

// Brings an open database to the current version.
Result migrate(QSqlDatabase &database);

} // namespace LearnerSchema
