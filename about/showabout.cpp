// The about box, shown from the main window's Help menu.
#include "about/tform_about.h"
#include "app/tform_main.h"

#include <memory>

void TForm_Main::ShowAbout()
{
    // No owner; destroyed when it closes, also when showing it fails.
    const auto about = std::make_unique<TForm_About>(*m_services.dialogs, *m_services.shell);
    about->exec();
}
