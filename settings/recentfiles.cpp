#include "settings/recentfiles.h"

#include "platform/dialogs.h"
#include "platform/errors.h"
#include "settings/recentfilerules.h"
#include "settings/settingsstore.h"

#include <QAction>
#include <QMenu>

RecentFiles::RecentFiles(SettingsStore *store, Dialogs *dialogs, QMenu *menu, QObject *parent)
    : QObject(parent), m_store(store), m_dialogs(dialogs), m_menu(menu)
{
    setObjectName(QStringLiteral("RecentFiles"));
}

QString RecentFiles::pathAt(int index) const
{
    if (index < 0 || index >= m_list.size())
        throw AppError(tr("最近播放列表中没有第 %1 项").arg(index + 1));
    return m_list.at(index);
}

void RecentFiles::load()
{
    m_list = m_store->loadRecentFiles();
}

void RecentFiles::add(const QString &path)
{
    AddRecentPath(m_list, path);
    buildMenu();
    Q_EMIT listChanged();
}

void RecentFiles::clear()
{
    if (m_list.isEmpty())
        return;
    if (m_dialogs->messageBox(tr("系统提示"), tr("确实要清空最近播放列表吗？"),
                              {Dialogs::Button::Yes, Dialogs::Button::No},
                              Dialogs::Icon::Information, Dialogs::Button::No)
        != Dialogs::Button::Yes) {
        return;
    }
    m_list.clear();
    Q_EMIT listChanged();
    buildMenu();
}

void RecentFiles::buildMenu()
{
    // The item being clicked may be among the old ones, still inside its own
    // triggered(): take it out of the menu now, delete it once back in the
    // event loop.
    const QList<QAction *> oldItems = m_menu->actions();
    for (QAction *item : oldItems) {
        m_menu->removeAction(item);
        item->deleteLater();
    }
    for (const RecentMenuItem &entry : RecentMenuItems(m_list)) {
        auto *item = new QAction(entry.caption, m_menu);
        item->setData(entry.tag);
        switch (entry.kind) {
        case RecentMenuItem::Kind::Entry: {
            const int tag = entry.tag;
            connect(item, &QAction::triggered, this, [this, tag] { Q_EMIT entryTriggered(tag); });
            break;
        }
        case RecentMenuItem::Kind::Separator:
            // "-" marks a separator; Qt would draw that text as a section title.
            item->setText(QString());
            item->setSeparator(true);
            break;
        case RecentMenuItem::Kind::Clear:
            connect(item, &QAction::triggered, this, &RecentFiles::clearTriggered);
            break;
        case RecentMenuItem::Kind::Empty:
            item->setEnabled(false);
            break;
        }
        m_menu->addAction(item);
    }
}
