#pragma once

#include "platform/dialogs.h"

#include <QList>
#include <QQueue>
#include <QString>

// Answers message boxes and file dialogs from a script and records every
// question. A question with no scripted answer gets its default button; a
// file dialog with none is cancelled.
class FakeDialogs : public Dialogs
{
public:
    struct Message {
        QString caption;
        QString text;
        QList<Button> buttons;
        Icon icon;
        Button defaultButton;
    };
    struct FileDialog {
        bool save;
        FileRequest request;
    };

    Button messageBox(const QString &caption, const QString &text, const QList<Button> &buttons,
                      Icon icon, Button defaultButton) override;
    std::optional<QString> openFile(const FileRequest &request) override;
    std::optional<QString> saveFile(const FileRequest &request) override;

    QQueue<Button> answers;
    QQueue<std::optional<QString>> fileAnswers;
    // The filter entry each confirmed open dialog reports; none scripted:
    // the entry it started on.
    QQueue<int> chosenFilters;
    QList<Message> messages;
    QList<FileDialog> fileDialogs;

    QStringList messageTexts() const;
    void clear();
};
