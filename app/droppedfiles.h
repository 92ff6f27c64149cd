#pragma once

#include <QString>
#include <QStringList>

#include <utility>

class QDropEvent;
class QMimeData;

// What the player plays for sound: the classic formats first, then the newer
// audio formats and the sound of common videos.
const QStringList &recordingSuffixes();

// The one local file a drag carries, and the role it opens in: a recording,
// or an answer (a subtitle file or a transcript).
enum class DropRole { None, Recording, Answer };
std::pair<DropRole, QString> droppedFile(const QMimeData *data);

// Takes a drag or drop of such a file, always as a copy (a drop accepted as
// a move would delete the file at its source); false, and ignored, otherwise.
bool takeFileDrop(QDropEvent *event);
