#pragma once

#include <QList>
#include <QString>
#include <optional>

// Message boxes and file dialogs, behind one interface so that tests can
// answer them from a script and check exactly what was asked.
class Dialogs
{
public:
    enum class Button { Ok, Cancel, Yes, No };
    enum class Icon { Information, Warning, Error, Question };

    struct FileRequest {
        QString title;
        // Windows-style filter: "description|patterns|description|patterns".
        QString filter;
        QString fileName;   // preset file name (may be a full path)
        QString initialDir; // empty: wherever the platform starts
        QString defaultSuffix;
        bool fileMustExist = false;
        bool confirmOverwrite = false;
        // The filter entry shown first (0 for the first), and where an open
        // dialog reports the entry the user left chosen; as in Windows' own
        // file dialogs, so the next dialog can start on it.
        int filterIndex = 0;
        int *chosenFilterIndex = nullptr;
    };

    virtual ~Dialogs() = default;

    // Modal message box. Closing the box without a choice answers with Cancel
    // when it offers Cancel, otherwise with the last button.
    virtual Button messageBox(const QString &caption, const QString &text,
                              const QList<Button> &buttons, Icon icon, Button defaultButton) = 0;
    // Modal file dialogs; nullopt when cancelled, else the full path chosen.
    virtual std::optional<QString> openFile(const FileRequest &request) = 0;
    virtual std::optional<QString> saveFile(const FileRequest &request) = 0;
};
