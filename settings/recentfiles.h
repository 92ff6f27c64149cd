#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class Dialogs;
class QMenu;
class SettingsStore;

// The recently opened recordings, most recent first, and the menu that lists
// them. Clicking an entry asks the window to open it.
class RecentFiles : public QObject
{
    Q_OBJECT
public:
    RecentFiles(SettingsStore *store, Dialogs *dialogs, QMenu *menu, QObject *parent);

    const QStringList &list() const { return m_list; }
    // The entry's path; throws AppError for an index outside the list (a menu
    // left from a clear whose save failed).
    QString pathAt(int index) const;

    void load();
    // Puts the path at the top, rebuilds the menu and has the list saved.
    void add(const QString &path);
    // Asks, then empties the list and has it saved.
    void clear();
    void buildMenu();

Q_SIGNALS:
    // The menu item of the entry at this index was clicked.
    void entryTriggered(int index);
    void clearTriggered();
    // The list changed and is to be kept; the window saves it (SaveRecentFiles).
    void listChanged();

private:
    SettingsStore *m_store;
    Dialogs *m_dialogs;
    QMenu *m_menu;
    QStringList m_list;
};
