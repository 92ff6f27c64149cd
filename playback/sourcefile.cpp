// Choosing, opening and closing the recording.
#include "app/tform_main.h"

#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/mediaplayer.h"
#include "playback/sourcefilerules.h"

#include <QFileInfo>
#include <QLabel>

void TForm_Main::SelectSourceFile()
{
    Dialogs::FileRequest request;
    request.title = QStringLiteral("请选择语音文件");
    request.filter = QStringLiteral("音频文件 (*.mp3;*.wma;*.wav)|*.mp3;*.wma;*.wav");
    request.fileName = SourceFileName;
    request.fileMustExist = true;
    const std::optional<QString> chosen = m_services.dialogs->openFile(request);
    if (chosen)
        OpenSourceFile(*chosen);
}

void TForm_Main::OpenSourceFile(const QString &path)
{
    // A folder named like a recording is no recording either.
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        m_services.dialogs->messageBox(MessageCaption,
                                       QStringLiteral("文件“") + path + QStringLiteral("”不存在！"),
                                       {Dialogs::Button::Ok}, Dialogs::Icon::Error,
                                       Dialogs::Button::Ok);
        throw Abandon();
    }
    CloseSourceFile();
    m_services.player->setUrl(path);
    SetSourceFileName(path);
    AddRecentFile(*RecentFiles, path);
    BuildRecentMenu(*RecentFiles);
    SaveRecentFiles(*RecentFiles);
    OpenDictationFile(CompanionDictationPath(path));
    PlayOrPause();
}

void TForm_Main::CloseSourceFile()
{
    CloseDictationFile();
    CloseAnswerFile();
    SetLoopPoints(-1.0, -1.0);
    SetSourceFileName(QString());
    m_services.player->stop();
    m_services.player->close();
}

void TForm_Main::SetSourceFileName(const QString &path)
{
    if (path == SourceFileName)
        return;
    SourceFileName = path;
    Label_SourceFileName->setText(QStringLiteral("  语音文件: ")
                                  + (path.isEmpty() ? QStringLiteral("未指定") : path));
}
