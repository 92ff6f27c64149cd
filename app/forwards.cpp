// The operations that moved into the feature objects, under their old
// names: thin forwards, so that a reader who looks for them finds where they went.
#include "app/tform_main.h"

#include "dictation/dictationdocument.h"
#include "playback/loopregion.h"
#include "playback/recording.h"
#include "playback/transport.h"
#include "settings/recentfiles.h"
#include "settings/settingsstore.h"

void TForm_Main::EnsureSettingsFile()
{
    m_settings->ensureFile();
}

void TForm_Main::LoadOptions()
{
    m_settings->loadOptions();
}

void TForm_Main::SaveOptions()
{
    m_settings->saveOptions();
}

void TForm_Main::LoadRecentFiles()
{
    m_recent->load();
}

void TForm_Main::BuildRecentMenu()
{
    m_recent->buildMenu();
}

void TForm_Main::SaveRecentFiles()
{
    m_settings->saveRecentFiles(m_recent->list());
}

void TForm_Main::AddRecentFile(const QString &path)
{
    m_recent->add(path); // builds the menu and saves the list too
}

void TForm_Main::ClearRecentFiles()
{
    m_recent->clear();
}

void TForm_Main::SetSourceFileName(const QString &path)
{
    m_recording->setPath(path);
}

void TForm_Main::SetLoopPoints(double start, double end)
{
    m_loop->setPoints(start, end);
}

void TForm_Main::StopPlayback()
{
    m_transport->stop();
}

void TForm_Main::UpdatePositionDisplay()
{
    m_transport->updatePositionDisplay();
}

void TForm_Main::SaveDictationFile()
{
    if (m_document->isOpen())
        m_document->save();
}

void TForm_Main::SaveDictationFileAs()
{
    m_document->saveAs();
}
