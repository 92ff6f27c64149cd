#include "lesson/answerfollower.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QEvent>
#include <QFont>
#include <QIcon>
#include <QListView>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>

// The cue texts, numbered; the current one in bold behind a play mark, so it
// reads without colour.
class CueListModel : public QAbstractListModel
{
public:
    explicit CueListModel(QObject *parent) : QAbstractListModel(parent) {}

    void setCues(const QStringList &cues)
    {
        beginResetModel();
        m_cues = cues;
        m_current = -1;
        m_hidden = false;
        endResetModel();
    }
    void setCurrent(int row, bool hidden)
    {
        const int old = m_current;
        m_current = row >= 0 && row < m_cues.size() ? row : -1;
        m_hidden = hidden;
        for (int r : {old, m_current}) {
            if (r >= 0)
                Q_EMIT dataChanged(index(r), index(r));
        }
    }
    bool hidesCurrent() const { return m_current >= 0 && m_hidden; }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_cues.size());
    }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_cues.size())
            return {};
        const bool current = index.row() == m_current;
        const bool hidden = current && m_hidden;
        switch (role) {
        case Qt::DisplayRole:
        case Qt::ToolTipRole:
            return QStringLiteral("%1  %2")
                .arg(index.row() + 1)
                .arg(hidden ? AnswerFollower::hiddenText() : m_cues.at(index.row()));
        case Qt::FontRole:
            if (current) {
                QFont bold;
                bold.setBold(true);
                return bold;
            }
            return {};
        case Qt::DecorationRole:
            return current ? QApplication::style()->standardIcon(QStyle::SP_MediaPlay) : blank();
        default:
            return {};
        }
    }

private:
    // The other rows keep the mark's room, so the texts line up.
    static QIcon blank()
    {
        QPixmap empty(16, 16);
        empty.fill(Qt::transparent);
        return QIcon(empty);
    }

    QStringList m_cues;
    int m_current = -1;
    bool m_hidden = false;
};

AnswerFollower::AnswerFollower(QPlainTextEdit *answerView, QListView *cueList, QObject *parent)
    : QObject(parent), m_view(answerView), m_cueList(cueList), m_model(new CueListModel(this))
{
    setObjectName(QStringLiteral("AnswerFollower"));
    m_cueList->setModel(m_model);
    m_cueList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_cueList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_cueList->setUniformItemSizes(true);
    m_cueList->setWordWrap(false);
    m_cueList->setFont(m_view->font());
    m_cueList->setPalette(m_view->palette());
    m_cueList->hide();
    // It stands over the answer view rather than in its place, so the view
    // keeps the width its display lines are counted at.
    m_view->installEventFilter(this);
    connect(m_cueList, &QListView::activated, this,
            [this](const QModelIndex &index) { Q_EMIT cueActivated(index.row()); });
}

QString AnswerFollower::hiddenText()
{
    return tr("（本句答案已隐藏：提交一句或按 Ctrl+Shift+H 显示）");
}

void AnswerFollower::setActive(bool on)
{
    if (on == m_active)
        return;
    m_active = on;
    refresh(true);
}

void AnswerFollower::setCues(const QStringList &cues)
{
    m_model->setCues(cues);
    m_current = -1;
    m_passage.reset();
    refresh(true);
}

void AnswerFollower::setAnswerOpen(bool open)
{
    if (open == m_answerOpen)
        return;
    m_answerOpen = open;
    // The view was emptied or filled: any marks of ours went with the text.
    m_marked = false;
    m_passage.reset();
    refresh(true);
}

void AnswerFollower::setCurrent(int index, std::optional<TextRange> passage, bool hidden)
{
    const bool moved = index != m_current || passage != m_passage;
    if (!moved && hidden == m_hidden)
        return;
    m_current = index;
    m_passage = passage;
    m_hidden = hidden;
    refresh(moved);
}

bool AnswerFollower::showsCues() const
{
    return m_active && !m_answerOpen && m_model->rowCount() > 0;
}

bool AnswerFollower::hidesCurrent() const
{
    if (!m_active)
        return false;
    if (showsCues())
        return m_model->hidesCurrent();
    return m_marked && m_hidden;
}

void AnswerFollower::refresh(bool scroll)
{
    const bool cues = showsCues();
    m_model->setCurrent(cues ? m_current : -1, m_hidden);
    if (cues) {
        placeCueList();
        m_cueList->raise();
        if (m_current >= 0 && m_current < m_model->rowCount()) {
            const QModelIndex row = m_model->index(m_current);
            m_cueList->setCurrentIndex(row);
            if (scroll)
                m_cueList->scrollTo(row, QAbstractItemView::PositionAtCenter);
        } else {
            m_cueList->clearSelection();
        }
    }
    m_cueList->setVisible(cues);
    markAnswer(scroll);
}

void AnswerFollower::markAnswer(bool scroll)
{
    const qsizetype length = m_view->document()->characterCount() - 1;
    const bool mark = m_active && m_answerOpen && m_current >= 0 && m_passage
                      && !m_passage->isEmpty() && m_passage->end <= length;
    if (!mark) {
        if (m_marked)
            m_view->setExtraSelections({});
        m_marked = false;
        return;
    }
    QTextEdit::ExtraSelection selection;
    selection.cursor = QTextCursor(m_view->document());
    selection.cursor.setPosition(int(m_passage->start));
    selection.cursor.setPosition(int(m_passage->end), QTextCursor::KeepAnchor);
    const QPalette palette = m_view->palette();
    if (m_hidden) {
        // A blank bar where the text stands: the place shows, the words do not.
        const QColor bar = palette.color(QPalette::Mid);
        selection.format.setBackground(bar);
        selection.format.setForeground(bar);
    } else {
        selection.format.setBackground(palette.color(QPalette::Highlight).lighter(170));
        selection.format.setFontUnderline(true);
    }
    m_view->setExtraSelections({selection});
    m_marked = true;
    if (!scroll)
        return;
    // The whole passage in view when it fits, its start at least.
    QTextCursor at(m_view->document());
    at.setPosition(int(m_passage->end));
    m_view->setTextCursor(at);
    m_view->ensureCursorVisible();
    at.setPosition(int(m_passage->start));
    m_view->setTextCursor(at);
    m_view->ensureCursorVisible();
}

void AnswerFollower::placeCueList()
{
    m_cueList->setGeometry(m_view->geometry());
}

bool AnswerFollower::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_view && (event->type() == QEvent::Resize || event->type() == QEvent::Move)
        && m_cueList->isVisibleTo(m_cueList->parentWidget()))
        placeCueList();
    return QObject::eventFilter(watched, event);
}
