#pragma once

#include "dictation/textfile.h"
#include "platform/fileidentity.h"
#include "platform/qttranslations.h"

#include <QObject>
#include <QString>
#include <QStringList>

class Dialogs;
class QLabel;
class QPlainTextEdit;

// The dictation document: the text in the dictation page, the file it belongs
// to, the encoding it was read in, and whether it is open and modified.
// Operations that ask a question or save throw Abandon when the learner
// cancels or the save fails (after saying so).
class DictationDocument : public QObject
{
    Q_OBJECT
public:
    DictationDocument(Dialogs *dialogs, QPlainTextEdit *editor, QLabel *label, QObject *parent);

    QString fileName() const { return m_fileName; }
    bool isModified() const { return m_modified; }
    bool isOpen() const { return m_open; }
    TextFileContent::Encoding encoding() const { return m_encoding; }
    // The file as it was when the text last matched it (loaded or saved);
    // a file that differs now was written by someone else since.
    FileStamp baseStamp() const { return m_base; }

    // The document as it is saved: lines separated by CR LF.
    QString text() const;
    // Adds a line at the end: after a final line break, or ending the last line.
    void appendLine(const QString &line);
    // Appends the lines of a record and keeps its end in view.
    void appendRecord(const QStringList &lines);

    // The answer file that is open: the document is never saved over it.
    void setAnswerFileName(const QString &fileName) { m_answerFileName = fileName; }

    // The language of the records a new document gets; a document keeps
    // the language of its header.
    void setRecordLanguage(InterfaceLanguage language) { m_recordLanguage = language; }
    // What the records appended now are written in: the language of the
    // document's header ("听写记录" or "Dictation record"), else the one set.
    InterfaceLanguage recordLanguage() const;
    // The header of a new document for the recording.
    static QStringList headerLines(const QString &recordingPath, InterfaceLanguage language);
    // "听写时间: " or "Dictated at: ", before the time of an applied line.
    static QString timePrefix(InterfaceLanguage language);

    // Closes the current document, then loads the file when it exists, or
    // starts a new document (with the two header lines when a recording is
    // open).
    void open(const QString &fileName, const QString &recordingPath);
    // Asks to save unsaved changes first.
    void close();
    // Ctrl+S: saves to its file, or asks for a name when it has none.
    void save();
    // Saves to the given file when modified.
    void saveTo(const QString &fileName);
    // Asks for a name and saves there.
    void saveAs();
    // Puts recovered text in place of the open document's, under the name it
    // had (or none), as unsaved changes; `base` is the file the text came from.
    void restore(const QString &text, const QString &fileName, TextFileContent::Encoding encoding,
                 const FileStamp &base);

Q_SIGNALS:
    // Opened or closed: the window enables the dictation controls.
    void openChanged(bool open);
    // The text was written to its file.
    void saved();
    // The learner changed the text (not opening, closing or saving it).
    void edited();
    // Writing the file failed, for this reason; the message box follows.
    void saveFailed(const QString &fileName, const QString &reason);

private:
    void setFileName(const QString &fileName);
    // A file whose bytes would not survive saving: offers to keep a copy.
    void offerBackup(const QString &fileName);
    void write(const QString &fileName);
    void refuseSameFile(const QString &text);
    // The file was written by someone else since the text last matched it.
    bool changedOnDisk() const;
    void takeBase(const QString &fileName);
    // Replaces the text with the file's, as unchanged.
    void reload();

    Dialogs *m_dialogs;
    QPlainTextEdit *m_editor;
    QLabel *m_label;
    QString m_fileName;
    InterfaceLanguage m_recordLanguage = InterfaceLanguage::Chinese;
    QString m_answerFileName;
    TextFileContent::Encoding m_encoding = TextFileContent::Encoding::Utf8;
    FileStamp m_base;
    std::optional<FileVersion> m_baseVersion; // finer, when known
    bool m_modified = false;
    bool m_open = false;
    bool m_loading = false; // the program, not the learner, changes the text
};
