#pragma once

#include <QString>

class QLabel;
class QWidget;

// The file labels under the seek bar: two blanks, the kind of file, ": " and
// the full path, or "未指定" when no file of that kind is set.
QString fileLabelText(const QString &kind, const QString &path);

// A label made for one such line: plain text, selectable, fixed height.
QLabel *makeFileLabel(QWidget *parent, const QString &objectName, const QString &initialText);
