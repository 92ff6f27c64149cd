#include "progress/startpage.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

QString startProgressText(int done, int total)
{
    if (total > 0)
        return StartPage::tr("已完成 %1/%2 句").arg(std::max(0, done)).arg(total);
    if (done > 0)
        return StartPage::tr("已完成 %1 句").arg(done);
    return {};
}

QString lastPractisedText(const QDateTime &when, const QDate &today)
{
    if (!when.isValid())
        return {};
    const qint64 days = when.toLocalTime().date().daysTo(today);
    if (days <= 0)
        return StartPage::tr("今天");
    if (days == 1)
        return StartPage::tr("昨天");
    if (days < 7)
        return StartPage::tr("%1 天前").arg(days);
    return QLocale().toString(when.toLocalTime().date(), QLocale::ShortFormat);
}

StartPage::StartPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StartPage"));
    auto *outer = new QHBoxLayout(this);
    auto *column = new QVBoxLayout;
    outer->addStretch(1);
    outer->addLayout(column, 4);
    outer->addStretch(1);

    m_title = new QLabel(tr("从一段录音开始"), this);
    m_title->setObjectName(QStringLiteral("Label_StartTitle"));
    QFont big = m_title->font();
    // The window font is set in pixels.
    if (big.pixelSize() > 0)
        big.setPixelSize(big.pixelSize() * 3 / 2);
    else
        big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    m_title->setFont(big);
    m_open = new QPushButton(tr("打开录音…（%1）").arg(QStringLiteral("Ctrl+O")), this);
    m_open->setObjectName(QStringLiteral("Button_StartOpen"));
    m_open->setFocusPolicy(Qt::NoFocus);
    m_hint = new QLabel(tr("也可以把录音拖到这个窗口上打开；拖来的字幕文件或文字稿作为答案打开。"),
                        this);
    m_hint->setObjectName(QStringLiteral("Label_StartHint"));
    m_hint->setWordWrap(true);

    m_recentTitle = new QLabel(tr("最近的录音"), this);
    m_recentTitle->setObjectName(QStringLiteral("Label_StartRecent"));
    QFont bold = m_recentTitle->font();
    bold.setBold(true);
    m_recentTitle->setFont(bold);
    m_recent = new QListWidget(this);
    m_recent->setObjectName(QStringLiteral("List_StartRecent"));
    m_recent->setFocusPolicy(Qt::NoFocus);
    m_recent->setWordWrap(true);
    m_noRecent = new QLabel(tr("还没有打开过录音。"), this);
    m_noRecent->setObjectName(QStringLiteral("Label_StartNoRecent"));

    m_review = new QPushButton(this);
    m_review->setObjectName(QStringLiteral("Button_StartReview"));
    m_review->setFocusPolicy(Qt::NoFocus);
    m_reviewNone = new QLabel(tr("今天没有要复习的句子。"), this);
    m_reviewNone->setObjectName(QStringLiteral("Label_StartNoReview"));

    auto *openRow = new QHBoxLayout;
    openRow->addWidget(m_open);
    openRow->addStretch(1);
    auto *reviewRow = new QHBoxLayout;
    reviewRow->addWidget(m_review);
    reviewRow->addWidget(m_reviewNone);
    reviewRow->addStretch(1);
    column->addSpacing(16);
    column->addWidget(m_title);
    column->addSpacing(8);
    column->addLayout(openRow);
    column->addWidget(m_hint);
    column->addSpacing(8);
    column->addLayout(reviewRow);
    column->addSpacing(12);
    column->addWidget(m_recentTitle);
    column->addWidget(m_noRecent);
    column->addWidget(m_recent, 1);

    connect(m_open, &QPushButton::clicked, this, &StartPage::openRequested);
    connect(m_review, &QPushButton::clicked, this, &StartPage::reviewRequested);
    // One click: the list is a set of links, not a selection.
    connect(m_recent, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        Q_EMIT recordingChosen(item->data(Qt::UserRole).toString());
    });
    m_open->installEventFilter(this);
    m_recent->viewport()->installEventFilter(this);
    setRecordings({}, QDate::currentDate());
    setDueCount(-1);
}

bool StartPage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Enter)
        Q_EMIT aboutToChoose();
    return QWidget::eventFilter(watched, event);
}

void StartPage::setRecordings(const QList<StartSummary::Recording> &recordings, const QDate &today)
{
    m_recent->clear();
    for (const StartSummary::Recording &recording : recordings) {
        QStringList details;
        if (const QString progress = startProgressText(recording.done, recording.total);
            !progress.isEmpty())
            details.append(progress);
        if (const QString when = lastPractisedText(recording.lastPractised, today); !when.isEmpty())
            details.append(tr("上次练习：%1").arg(when));
        QString text = QFileInfo(recording.path).fileName();
        if (!details.isEmpty())
            text += QStringLiteral("\n    ") + details.join(QStringLiteral(" · "));
        auto *item = new QListWidgetItem(text, m_recent);
        item->setData(Qt::UserRole, recording.path);
        item->setToolTip(QDir::toNativeSeparators(recording.path));
    }
    m_recent->setVisible(!recordings.isEmpty());
    m_noRecent->setVisible(recordings.isEmpty());
}

void StartPage::setDueCount(int count)
{
    m_review->setText(tr("今天要复习 %1 句（%2）").arg(count).arg(QStringLiteral("F9")));
    m_review->setVisible(count > 0);
    m_reviewNone->setVisible(count == 0);
}
