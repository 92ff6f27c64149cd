#pragma once

#include "learner/sentenceprogress.h"

#include <QAbstractTableModel>
#include <QList>

// The sentences of the lesson as rows: number, time, state, best score and
// best line. The current sentence reads in bold; a sentence whose times are
// unsure (its text aligned poorly to the speech) is marked at its time.
class SentenceListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Number, Time, State, Score, Line, ColumnCount };

    explicit SentenceListModel(QObject *parent = nullptr);

    void setProgress(const QList<SentenceProgress> &progress);
    void setRow(int row, const SentenceProgress &progress);
    void appendRows(const QList<SentenceProgress> &more);
    void setCurrent(int row);
    // Which rows' times are unsure, one flag a row; missing flags count as sure.
    void setUnsure(const QList<bool> &unsure);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<SentenceProgress> m_rows;
    QList<bool> m_unsure;
    int m_current = -1;
};
