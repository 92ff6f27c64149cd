// The list of recently opened recordings and its menu.
#include "app/tform_main.h"

#include "platform/dialogs.h"
#include "platform/errors.h"
#include "platform/profilefile.h"
#include "settings/recentfilerules.h"

#include <QAction>
#include <QMenu>

void TForm_Main::LoadRecentFiles(QStringList &list)
{
    const QString path = SettingsFilePath();
    for (int i = 0; i < MaxRecentFiles; ++i)
        list.append(readProfileString(path, LastFilesSection, RecentFileKey(i), QString()));
}

void TForm_Main::SaveRecentFiles(const QStringList &list)
{
    const QString path = SettingsFilePath();
    for (const auto &[key, value] : RecentFileWrites(list))
        writeProfileString(path, LastFilesSection, key, value);
}

void TForm_Main::AddRecentFile(QStringList &list, const QString &path)
{
    AddRecentPath(list, path);
}

void TForm_Main::BuildRecentMenu(const QStringList &list)
{
    // The item being clicked may be among the old ones, still inside its own
    // triggered(): take it out of the menu now, delete it once back in the
    // event loop.
    const QList<QAction *> oldItems = Menu_RecentplayList->actions();
    for (QAction *item : oldItems) {
        Menu_RecentplayList->removeAction(item);
        item->deleteLater();
    }
    for (const RecentMenuItem &entry : RecentMenuItems(list)) {
        auto *item = new QAction(entry.caption, this);
        item->setData(entry.tag);
        switch (entry.kind) {
        case RecentMenuItem::Kind::Entry: {
            const int tag = entry.tag;
            connect(item, &QAction::triggered, this,
                    [this, tag] { guarded([this, tag] { RecentFileClick(tag); }); });
            break;
        }
        case RecentMenuItem::Kind::Separator:
            // "-" marks a separator; Qt would draw that text as a section title.
            item->setText(QString());
            item->setSeparator(true);
            break;
        case RecentMenuItem::Kind::Clear:
            connect(item, &QAction::triggered, this,
                    [this] { guarded([this] { ClearRecentFiles(); }); });
            break;
        case RecentMenuItem::Kind::Empty:
            item->setEnabled(false);
            break;
        }
        Menu_RecentplayList->addAction(item);
    }
}

void TForm_Main::RecentFileClick(int tag)
{
    // After a clear whose save failed the menu still shows the old items.
    if (tag < 0 || tag >= RecentFiles->size())
        throw AppError(QStringLiteral("List index out of bounds (%1)").arg(tag));
    // A copy: opening reorders the list, and with it the entry's string.
    const QString path = RecentFiles->at(tag);
    OpenSourceFile(path);
}

void TForm_Main::ClearRecentFiles()
{
    if (RecentFiles->isEmpty())
        return;
    if (m_services.dialogs->messageBox(MessageCaption, QStringLiteral("确实要清空最近播放列表吗？"),
                                       {Dialogs::Button::Yes, Dialogs::Button::No},
                                       Dialogs::Icon::Information, Dialogs::Button::No)
        != Dialogs::Button::Yes) {
        return;
    }
    RecentFiles->clear();
    SaveRecentFiles(*RecentFiles);
    BuildRecentMenu(*RecentFiles);
}
