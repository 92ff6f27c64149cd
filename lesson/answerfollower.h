#pragma once

#include "lesson/answerplace.h"

#include <QObject>
#include <QStringList>

#include <optional>

class CueListModel;
class QListView;
class QPlainTextEdit;

// The answer page following the lesson: in the answer text the passage of
// the current sentence is marked and kept in view; with subtitles and no
// answer text, a list of the cue texts stands over the empty view, the
// current one marked. Until the current sentence may be seen, its text is
// hidden in both. It only adds to the page: while it is not active the page
// is exactly as without it, and the answer text itself is never changed.
class AnswerFollower : public QObject
{
    Q_OBJECT
public:
    AnswerFollower(QPlainTextEdit *answerView, QListView *cueList, QObject *parent);

    // Following at all: sentence by sentence with sentences found.
    void setActive(bool on);
    // One text per sentence; empty without subtitles.
    void setCues(const QStringList &cues);
    // An answer text is open in the view.
    void setAnswerOpen(bool open);
    // The sentence worked on (-1: none), where its text stands in the answer
    // when that is known, and whether that text is to stay hidden.
    void setCurrent(int index, std::optional<TextRange> passage, bool hidden);

    bool showsCues() const;
    // The current sentence's text is hidden on the page now.
    bool hidesCurrent() const;

    // What stands in place of a hidden text in the cue list.
    static QString hiddenText();

Q_SIGNALS:
    // A cue was double-clicked or chosen with Enter.
    void cueActivated(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void refresh(bool scroll);
    void markAnswer(bool scroll);
    void placeCueList();

    QPlainTextEdit *m_view;
    QListView *m_cueList;
    CueListModel *m_model;
    bool m_active = false;
    bool m_answerOpen = false;
    int m_current = -1;
    std::optional<TextRange> m_passage;
    bool m_hidden = false;
    // Set while the view carries marks of ours, so that only they are taken away.
    bool m_marked = false;
};
