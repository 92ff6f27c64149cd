#include "help/helpwindow.h"

#include "help/guidecontents.h"
#include "platform/shell.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>

namespace {

constexpr int UrlRole = Qt::UserRole;

QString readUtf8(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QUrl pageOf(const QUrl &url)
{
    return url.adjusted(QUrl::RemoveFragment);
}

} // namespace

HelpWindow::HelpWindow(Shell &shell, QWidget *parent)
    : QMainWindow(parent, Qt::Window), m_shell(shell)
{
    setObjectName(QStringLiteral("Form_Help"));
    setWindowTitle(tr("Quillmar奎尔玛 帮助"));
    setAttribute(Qt::WA_DeleteOnClose, false); // kept, with its history, for the next F1

    m_contents = new QTreeWidget;
    m_contents->setObjectName(QStringLiteral("TreeWidget_Contents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(false);
    m_browser = new QTextBrowser;
    m_browser->setObjectName(QStringLiteral("TextBrowser_Guide"));
    m_browser->setOpenLinks(false);
    auto *splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("Splitter_Help"));
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({290, 710});
    setCentralWidget(splitter);

    QToolBar *bar = addToolBar(tr("帮助工具栏"));
    bar->setObjectName(QStringLiteral("ToolBar_Help"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    auto addCommand = [this, bar](const char *name, const QString &caption,
                                  QStyle::StandardPixmap icon, const QKeySequence &keys) {
        auto *command = new QAction(style()->standardIcon(icon), caption, this);
        command->setObjectName(QLatin1String(name));
        command->setShortcut(keys);
        command->setToolTip(keys.isEmpty() ? caption
                                           : QStringLiteral("%1 (%2)").arg(
                                               caption, keys.toString(QKeySequence::NativeText)));
        bar->addAction(command);
        return command;
    };
    QAction *back =
        addCommand("Action_HelpBack", tr("后退"), QStyle::SP_ArrowBack, QKeySequence::Back);
    QAction *forward = addCommand("Action_HelpForward", tr("前进"), QStyle::SP_ArrowForward,
                                  QKeySequence::Forward);
    QAction *home = addCommand("Action_HelpHome", tr("目录"), QStyle::SP_DirHomeIcon,
                               QKeySequence(Qt::ALT | Qt::Key_Home));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(home, &QAction::triggered, this, [this] { m_browser->setSource(m_index); });
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);

    bar->addSeparator();
    m_find = new QLineEdit(bar);
    m_find->setObjectName(QStringLiteral("LineEdit_HelpFind"));
    m_find->setPlaceholderText(tr("在指南中查找"));
    m_find->setClearButtonEnabled(true);
    m_find->setMaximumWidth(240);
    bar->addWidget(m_find);
    QAction *next = addCommand("Action_HelpFindNext", tr("查找下一个"), QStyle::SP_ArrowDown,
                               QKeySequence::FindNext);
    QAction *previous = addCommand("Action_HelpFindPrevious", tr("查找上一个"), QStyle::SP_ArrowUp,
                                   QKeySequence::FindPrevious);
    auto *focusFind = new QAction(this);
    focusFind->setShortcut(QKeySequence::Find);
    addAction(focusFind);
    connect(focusFind, &QAction::triggered, m_find, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });
    connect(m_find, &QLineEdit::returnPressed, this, [this] { find(m_find->text()); });
    connect(next, &QAction::triggered, this, [this] { find(m_find->text()); });
    connect(previous, &QAction::triggered, this, [this] { find(m_find->text(), true); });

    connect(m_browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::selectContentsEntry);
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) {
        m_browser->setSource(item->data(0, UrlRole).toUrl());
    });
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *item) {
        m_browser->setSource(item->data(0, UrlRole).toUrl());
    });

    statusBar()->setObjectName(QStringLiteral("StatusBar_Help"));
    QSize size(1000, 720);
    if (const QScreen *screen = this->screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

void HelpWindow::openGuide(const QString &indexPath)
{
    const QUrl index = QUrl::fromLocalFile(indexPath);
    if (index != m_index) {
        m_index = index;
        showContents();
        m_browser->clearHistory();
        m_browser->setSource(m_index);
    } else if (m_browser->source().isEmpty()) {
        m_browser->setSource(m_index);
    }
}

QUrl HelpWindow::source() const
{
    return m_browser->source();
}

void HelpWindow::showContents()
{
    m_contents->clear();
    m_pages = {m_index};
    QTreeWidgetItem *page = nullptr;
    for (const GuideEntry &entry : guideContents(readUtf8(m_index.toLocalFile()))) {
        const QUrl target = m_index.resolved(QUrl(entry.target));
        auto *item =
            entry.level > 0 && page ? new QTreeWidgetItem(page) : new QTreeWidgetItem(m_contents);
        if (entry.level == 0 || !page)
            page = item;
        item->setText(0, entry.title);
        item->setToolTip(0, entry.title);
        item->setData(0, UrlRole, target);
        if (target.isLocalFile() && !m_pages.contains(pageOf(target)))
            m_pages.append(pageOf(target));
    }
    m_contents->expandAll();
}

void HelpWindow::selectContentsEntry(const QUrl &shown)
{
    QTreeWidgetItem *best = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QUrl target = (*it)->data(0, UrlRole).toUrl();
        if (target == shown) {
            best = *it;
            break;
        }
        if (!best && pageOf(target) == pageOf(shown))
            best = *it;
    }
    const QSignalBlocker quiet(m_contents);
    m_contents->setCurrentItem(best);
}

void HelpWindow::followLink(const QUrl &link)
{
    const QUrl target = m_browser->source().resolved(link);
    // Pages of the guide open here; the web and mail open where they belong.
    if (target.isLocalFile() || target.scheme().isEmpty())
        m_browser->setSource(target);
    else
        m_shell.open(target.toString());
}

bool HelpWindow::pageContains(const QUrl &page, const QString &text) const
{
    QTextDocument document;
    document.setHtml(readUtf8(page.toLocalFile()));
    return document.toPlainText().contains(text, Qt::CaseInsensitive);
}

bool HelpWindow::find(const QString &text, bool backward)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    statusBar()->clearMessage();
    if (m_browser->find(wanted, flags))
        return true;
    // On through the other pages in the order of the contents, and last
    // round to the other end of this one.
    const QUrl current = pageOf(m_browser->source());
    const qsizetype count = m_pages.size();
    const qsizetype here = m_pages.indexOf(current);
    for (qsizetype step = 1; step <= count; ++step) {
        const qsizetype at = here < 0
                                 ? (backward ? count - step : step - 1)
                                 : ((here + (backward ? -step : step)) % count + count) % count;
        const QUrl page = m_pages.at(at);
        if (page != current && !pageContains(page, wanted))
            continue;
        if (page != current)
            m_browser->setSource(page);
        QTextCursor cursor(m_browser->document());
        if (backward)
            cursor.movePosition(QTextCursor::End);
        m_browser->setTextCursor(cursor);
        if (m_browser->find(wanted, flags))
            return true;
    }
    statusBar()->showMessage(tr("指南中没有“%1”。").arg(wanted));
    return false;
}
