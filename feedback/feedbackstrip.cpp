#include "feedback/feedbackstrip.h"

#include "feedback/wordcompare.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>

namespace {

struct MarkColours {
    QString wrong;
    QString missing;
    QString extra;
};

// Colours from a palette chosen to stay apart for the common kinds of colour
// blindness, in a lighter set when the window is dark.
MarkColours coloursFor(const QPalette &palette)
{
    if (palette.color(QPalette::Window).lightness() < 128)
        return {QStringLiteral("#E69F00"), QStringLiteral("#56B4E9"), QStringLiteral("#CC79A7")};
    return {QStringLiteral("#D55E00"), QStringLiteral("#0072B2"), QStringLiteral("#AA4499")};
}

QString coloured(const QString &colour, const QString &html)
{
    return QStringLiteral("<span style=\"color:%1\">%2</span>").arg(colour, html);
}

bool endsInHyphen(const QString &shown)
{
    return !shown.isEmpty()
           && (shown.back() == u'-' || shown.back() == u'\u2010' || shown.back() == u'\u2011');
}

QString marksHtml(const Comparison &comparison, const MarkColours &colours)
{
    QString html;
    bool previousCjk = false;
    bool joined = false; // the word before ends in the hyphen that joins it to this one
    for (qsizetype k = 0; k < comparison.marks.size(); ++k) {
        const WordMark &mark = comparison.marks.at(k);
        // Chinese and Japanese run together; words are set apart by a blank,
        // unless a hyphen joins them.
        if (k > 0 && !(previousCjk && mark.cjk) && !joined)
            html += QLatin1Char(' ');
        previousCjk = mark.cjk;
        // Apostrophes and hyphens as they were typed and as the text has them.
        const QString typedText = mark.typedShown.isEmpty() ? mark.typed : mark.typedShown;
        const QString expectedText =
            mark.expectedShown.isEmpty() ? mark.expected : mark.expectedShown;
        const QString typed = typedText.toHtmlEscaped();
        const QString expected = expectedText.toHtmlEscaped();
        switch (mark.kind) {
        case WordMark::Kind::Right:
            html += typed;
            joined = endsInHyphen(typedText);
            break;
        case WordMark::Kind::Wrong:
            html += coloured(colours.wrong, QStringLiteral("<s>%1</s>[%2]").arg(typed, expected));
            joined = endsInHyphen(expectedText);
            break;
        case WordMark::Kind::Missing:
            html += coloured(colours.missing, QStringLiteral("＿[%1]").arg(expected));
            joined = endsInHyphen(expectedText);
            break;
        case WordMark::Kind::Extra:
            html += coloured(colours.extra, QStringLiteral("(<s>%1</s>)").arg(typed));
            joined = endsInHyphen(typedText);
            break;
        }
    }
    return html;
}

} // namespace

FeedbackStrip::FeedbackStrip(QWidget *parent)
    : QWidget(parent), m_words(new QLabel(this)), m_score(new QLabel(this))
{
    m_words->setObjectName(QStringLiteral("FeedbackWords"));
    m_words->setTextFormat(Qt::RichText);
    m_words->setWordWrap(true);
    m_words->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_score->setObjectName(QStringLiteral("FeedbackScore"));
    m_score->setTextFormat(Qt::PlainText);
    m_score->setAlignment(Qt::AlignRight | Qt::AlignTop);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_words, 1);
    layout->addWidget(m_score, 0);

    setToolTip(tr("删除线加方括号：写错的词和应为的词\n"
                  "＿加方括号：漏写的词\n"
                  "删除线加圆括号：多写的词"));
}

void FeedbackStrip::showComparison(const Comparison &comparison, const QString &note)
{
    m_shown = comparison;
    m_note = note;
    render();
}

void FeedbackStrip::showUnmatched(const QString &typed, const QString &expected)
{
    m_shown.reset();
    QString html = QStringLiteral("(<s>%1</s>)").arg(typed.trimmed().toHtmlEscaped());
    if (!expected.isEmpty())
        html += QStringLiteral(" [%1]").arg(expected.toHtmlEscaped());
    m_words->setText(html);
    m_score->setText(tr("得分 %1%").arg(0));
}

void FeedbackStrip::showMessage(const QString &text)
{
    m_shown.reset();
    m_words->setText(text.toHtmlEscaped());
    m_score->clear();
}

void FeedbackStrip::clear()
{
    m_shown.reset();
    m_note.clear();
    m_words->clear();
    m_score->clear();
}

void FeedbackStrip::render()
{
    if (!m_shown)
        return;
    if (m_shown->tooLong) {
        m_words->setText(tr("这一行超过 %1 个词，不作比较").arg(MaxCompareWords));
        m_score->clear();
        return;
    }
    m_words->setText(marksHtml(*m_shown, coloursFor(palette())));
    if (m_shown->hasScore()) {
        QString score = tr("得分 %1%").arg(scorePercent(m_shown->score()));
        if (!m_note.isEmpty())
            score += QStringLiteral(" · ") + m_note;
        m_score->setText(score);
    } else {
        m_score->setText(m_note);
    }
}

void FeedbackStrip::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        render();
}
