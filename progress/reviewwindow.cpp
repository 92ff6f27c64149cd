#include "progress/reviewwindow.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString timeText(double seconds)
{
    const int whole = int(seconds);
    return QStringLiteral("%1:%2").arg(whole / 60).arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

ReviewWindow::ReviewWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Review"));
    setWindowTitle(tr("复习"));
    auto *layout = new QVBoxLayout(this);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("Label_ReviewSummary"));
    layout->addWidget(m_summary);
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("Table_Review"));
    m_table->setHorizontalHeaderLabels(
        {tr("录音"), tr("句子"), tr("上次得分"), tr("到期"), tr("状态")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_table->setWordWrap(false);
    layout->addWidget(m_table, 1);
    auto *buttons = new QDialogButtonBox(this);
    m_practise = buttons->addButton(tr("开始复习"), QDialogButtonBox::AcceptRole);
    m_practise->setObjectName(QStringLiteral("Button_Practise"));
    m_locate = buttons->addButton(tr("定位…"), QDialogButtonBox::ActionRole);
    m_locate->setObjectName(QStringLiteral("Button_Locate"));
    QPushButton *close = buttons->addButton(QDialogButtonBox::Close);
    close->setText(tr("关闭"));
    layout->addWidget(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_practise, &QPushButton::clicked, this,
            [this] { Q_EMIT practiseRequested(std::max(selectedRow(), 0)); });
    connect(m_locate, &QPushButton::clicked, this, [this] {
        if (selectedRow() >= 0)
            Q_EMIT locateRequested(selectedRow());
    });
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (m_sentences.value(row).missing)
            Q_EMIT locateRequested(row);
        else
            Q_EMIT practiseRequested(row);
    });
    connect(m_table, &QTableWidget::itemSelectionChanged, this, &ReviewWindow::updateButtons);
    resize(760, 420);
    setLoading();
}

void ReviewWindow::setLoading()
{
    m_summary->setText(tr("正在读取复习计划…"));
    m_practise->setEnabled(false);
    m_locate->setEnabled(false);
}

int ReviewWindow::selectedRow() const
{
    const QList<QTableWidgetSelectionRange> ranges = m_table->selectedRanges();
    return ranges.isEmpty() ? -1 : ranges.first().topRow();
}

void ReviewWindow::setSentences(const QList<ReviewStore::DueSentence> &sentences)
{
    const int keep = selectedRow();
    m_sentences = sentences;
    m_table->setRowCount(int(sentences.size()));
    const QLocale locale;
    int missing = 0;
    for (int row = 0; row < sentences.size(); ++row) {
        const ReviewStore::DueSentence &d = sentences.at(row);
        const QString title = d.title.isEmpty() ? QDir::toNativeSeparators(d.path) : d.title;
        const QString text = d.expected.isEmpty()
                                 ? tr("%1 – %2 处的句子").arg(timeText(d.start), timeText(d.end))
                                 : d.expected;
        const QString score = d.lastScore < 0 ? tr("—") : QStringLiteral("%1%").arg(d.lastScore);
        const QString state = d.missing ? tr("找不到录音") : tr("待复习");
        missing += d.missing ? 1 : 0;
        const QStringList cells = {title, text, score, locale.toString(d.due, QLocale::ShortFormat),
                                   state};
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            if (column == 0)
                item->setToolTip(QDir::toNativeSeparators(d.path));
            if (column == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(row, column, item);
        }
    }
    m_table->resizeColumnToContents(0);
    m_table->resizeColumnToContents(2);
    m_table->resizeColumnToContents(3);
    m_table->resizeColumnToContents(4);
    if (sentences.isEmpty())
        m_summary->setText(tr("今天没有要复习的句子。"));
    else if (missing > 0)
        m_summary->setText(
            tr("今天要复习 %1 句，其中 %2 句的录音找不到了：选中后按“定位…”指出它的新位置。")
                .arg(sentences.size())
                .arg(missing));
    else
        m_summary->setText(tr("今天要复习 %1 句。").arg(sentences.size()));
    if (!sentences.isEmpty())
        m_table->selectRow(std::clamp(keep, 0, int(sentences.size()) - 1));
    updateButtons();
}

void ReviewWindow::updateButtons()
{
    const int row = selectedRow();
    bool anyPresent = false;
    for (const ReviewStore::DueSentence &d : m_sentences)
        anyPresent = anyPresent || !d.missing;
    m_practise->setEnabled(anyPresent);
    m_locate->setEnabled(row >= 0 && m_sentences.value(row).missing);
    if (row >= 0 && m_sentences.value(row).missing)
        m_locate->setDefault(true);
    else
        m_practise->setDefault(true);
}
