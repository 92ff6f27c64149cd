#pragma once

#include <QMainWindow>
#include <QString>
#include <QUrl>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class Shell;

// The program's own help window: the guide's pages in a text browser, with
// back, forward and the first page, the table of contents beside them and a
// search through the whole guide. It needs no web browser, so help works on
// any machine; links to the web and mail go to the shell.
class HelpWindow : public QMainWindow
{
    Q_OBJECT
public:
    HelpWindow(Shell &shell, QWidget *parent);

    // Shows the guide whose first page is the given file, from that page.
    void openGuide(const QString &indexPath);
    // Follows a link of the page shown, as a click on it does.
    void followLink(const QUrl &link);
    // Looks for the text from the place shown on, through the rest of the
    // guide, and back round to the start; false when the guide has none.
    bool find(const QString &text, bool backward = false);

    QUrl source() const;

private:
    void showContents();
    // The entry of the page shown, when the contents have one.
    void selectContentsEntry(const QUrl &shown);
    bool pageContains(const QUrl &page, const QString &text) const;

    Shell &m_shell;
    QTextBrowser *m_browser = nullptr;
    QTreeWidget *m_contents = nullptr;
    QLineEdit *m_find = nullptr;
    QLabel *m_findStatus = nullptr;
    QUrl m_index;
    QList<QUrl> m_pages; // the guide's pages in the order of its contents
};
