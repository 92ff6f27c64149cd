#include "lesson/sentencelistmodel.h"

#include "lesson/lessonrules.h"

#include <QFont>

#include <cmath>

namespace {

// "1:05.2": minutes, seconds and tenths; enough to find a sentence by ear.
QString shortTime(double seconds)
{
    const qint64 tenths = std::llround(seconds * 10.0);
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg((tenths / 10) % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

} // namespace

SentenceListModel::SentenceListModel(QObject *parent) : QAbstractTableModel(parent) {}

void SentenceListModel::setProgress(const QList<SentenceProgress> &progress)
{
    beginResetModel();
    m_rows = progress;
    m_current = -1;
    endResetModel();
}

void SentenceListModel::setRow(int row, const SentenceProgress &progress)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row] = progress;
    Q_EMIT dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void SentenceListModel::appendRows(const QList<SentenceProgress> &more)
{
    if (more.isEmpty())
        return;
    const int first = int(m_rows.size());
    beginInsertRows(QModelIndex(), first, first + int(more.size()) - 1);
    m_rows += more;
    endInsertRows();
}

void SentenceListModel::setCurrent(int row)
{
    const int old = m_current;
    m_current = row;
    for (int r : {old, row}) {
        if (r >= 0 && r < m_rows.size())
            Q_EMIT dataChanged(index(r, 0), index(r, ColumnCount - 1), {Qt::FontRole});
    }
}

void SentenceListModel::setUnsure(const QList<bool> &unsure)
{
    if (unsure == m_unsure)
        return;
    m_unsure = unsure;
    if (!m_rows.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, ColumnCount - 1));
}

int SentenceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int SentenceListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SentenceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const SentenceProgress &p = m_rows.at(index.row());
    if (role == Qt::FontRole && index.row() == m_current) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    if (role == Qt::TextAlignmentRole && (index.column() == Number || index.column() == Score))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const bool unsure = index.row() < m_unsure.size() && m_unsure.at(index.row());
    if (role == Qt::ToolTipRole && unsure && (index.column() == Number || index.column() == Time))
        return tr("这一句的文字与录音对得不够准，时间可能有偏差");
    switch (index.column()) {
    case Number:
        return index.row() + 1;
    case Time:
        // "≈": about here; the row's tooltip says why.
        return unsure ? QStringLiteral("≈") + shortTime(p.start) : shortTime(p.start);
    case State:
        return p.tries > 1 ? tr("%1（%2 次）").arg(stateText(p.state)).arg(p.tries)
                           : stateText(p.state);
    case Score:
        return p.bestScore >= 0 ? QStringLiteral("%1%").arg(p.bestScore) : QString();
    case Line:
        return p.bestLine;
    default:
        return {};
    }
}

QVariant SentenceListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Number:
        return tr("句");
    case Time:
        return tr("时间");
    case State:
        return tr("状态");
    case Score:
        return tr("最高分");
    case Line:
        return tr("最佳一句");
    default:
        return {};
    }
}
