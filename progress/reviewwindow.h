#pragma once

#include "progress/reviewstore.h"

#include <QDialog>
#include <QList>

class QLabel;
class QPushButton;
class QTableWidget;

// "复习": the sentences due today over all recordings. A recording that is
// no longer where it was stays in the list, marked, with "定位…" to point to
// its new place.
class ReviewWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ReviewWindow(QWidget *parent = nullptr);

    void setLoading();
    void setSentences(const QList<ReviewStore::DueSentence> &sentences);
    const QList<ReviewStore::DueSentence> &sentences() const { return m_sentences; }
    // The selected row; -1 for none.
    int selectedRow() const;

Q_SIGNALS:
    // Practise the due sentences one after another, from this row on.
    void practiseRequested(int row);
    void locateRequested(int row);

private:
    void updateButtons();

    QList<ReviewStore::DueSentence> m_sentences;
    QLabel *m_summary;
    QTableWidget *m_table;
    QPushButton *m_practise;
    QPushButton *m_locate;
};
