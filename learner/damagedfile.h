#pragma once

#include <QString>

class QSqlDatabase;

namespace DamagedFile {

// What can still be read of a damaged file, into the new one: each table
// from its first row up to the damage, and from its last row down to it.
// Rows whose owner was lost with the damage are left out.
void carryOver(QSqlDatabase &fresh, const QString &damaged, const QString &connection);

} // namespace DamagedFile
