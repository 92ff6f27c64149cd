#include "about/tform_about.h"

#include "platform/dialogs.h"
#include "platform/imagelist.h"
#include "platform/shell.h"
#include "platform/versioninfo.h"
#include "platform/windowfont.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

// The maker's contact details are build settings (see about/CMakeLists.txt).
#if !defined(QUILLMAR_HOME_PAGE) || !defined(QUILLMAR_EMAIL) || !defined(QUILLMAR_CONTACT_NUMBER)
#error "the build must define QUILLMAR_HOME_PAGE, QUILLMAR_EMAIL and QUILLMAR_CONTACT_NUMBER"
#endif

namespace {

struct VersionKey {
    const char *key;
    const char *label; // UTF-8, translated when shown
};

// The entries shown, in order.
constexpr VersionKey VersionKeys[] = {
    {"ProductName", QT_TRANSLATE_NOOP("TForm_About", "产品名称")},
    {"ProductVersion", QT_TRANSLATE_NOOP("TForm_About", "产品版本")},
    {"FileDescription", QT_TRANSLATE_NOOP("TForm_About", "说明")},
    {"LegalCopyright", QT_TRANSLATE_NOOP("TForm_About", "版权")},
    {"FileVersion", QT_TRANSLATE_NOOP("TForm_About", "文件版本")},
    {"CompanyName", QT_TRANSLATE_NOOP("TForm_About", "公司名称")},
    {"LegalTrademarks", QT_TRANSLATE_NOOP("TForm_About", "合法商标")},
    {"InternalName", QT_TRANSLATE_NOOP("TForm_About", "内部名称")},
    {"OriginalFileName", QT_TRANSLATE_NOOP("TForm_About", "原文件名")},
};

// The version block's values that are Chinese; shown in the interface language.
[[maybe_unused]] constexpr const char *TranslatedValues[] = {
    QT_TRANSLATE_NOOP("TForm_About", "Quillmar奎尔玛"),
    QT_TRANSLATE_NOOP("TForm_About", "外语听写训练工具"),
    QT_TRANSLATE_NOOP("TForm_About", "© 2026 Quillmar 项目，GPL-3.0+ 许可"),
    QT_TRANSLATE_NOOP("TForm_About", "Quillmar 项目"),
    QT_TRANSLATE_NOOP("TForm_About", "无"),
};

constexpr int MemoLineHeight = 12;

QFrame *makePanel(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    // A lowered outer and a raised inner bevel.
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setGeometry(geometry);
    return panel;
}

// A label as wide as its caption needs, at least as designed. Captions end
// at the right edge of the design, next to the links, and grow to the left.
QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption,
                  const QRect &geometry)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QRect fitted = geometry;
    fitted.setLeft(geometry.right() + 1 - std::max(geometry.width(), label->sizeHint().width()));
    label->setGeometry(fitted);
    return label;
}

// A link grows to the right: its caption is a build setting.
QLabel *makeLink(QWidget *parent, const QString &name, const QString &caption,
                 const QRect &geometry)
{
    auto *link = new QLabel(caption, parent);
    link->setObjectName(name);
    link->setTextFormat(Qt::PlainText);
    link->setGeometry(geometry);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(12);
    font.setUnderline(true);
    link->setFont(font);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, Qt::blue);
    link->setPalette(palette);
    link->setCursor(Qt::PointingHandCursor);
    link->resize(std::max(geometry.width(), link->sizeHint().width()), geometry.height());
    return link;
}

} // namespace

TForm_About::TForm_About(Dialogs &dialogs, Shell &shell, const QString &executablePath,
                         QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_shell(shell),
      m_executablePath(executablePath.isEmpty() ? QCoreApplication::applicationFilePath()
                                                : executablePath)
{
    setObjectName(QStringLiteral("Form_About"));
    setWindowTitle(tr("关于"));
    setFont(WindowFont());
    setFixedSize(392, 373);

    Panel1 = makePanel(this, QStringLiteral("Panel1"), {0, 0, 392, 332});
    QPalette windowColour = Panel1->palette();
    windowColour.setColor(QPalette::Window, windowColour.color(QPalette::Base));
    Panel1->setPalette(windowColour);
    Panel1->setAutoFillBackground(true);

    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 32, 16, 16);
    Image1->setPixmap(applicationIcon().pixmap(QSize(16, 16), devicePixelRatioF()));

    Memo1 = new QTextEdit(Panel1);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(47, 32, 305, 204);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setReadOnly(true);
    Memo1->setAcceptRichText(false);
    Memo1->setFocusPolicy(Qt::ClickFocus);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->document()->setDocumentMargin(0);
    QPalette buttonFace = Memo1->palette();
    buttonFace.setColor(QPalette::Base, buttonFace.color(QPalette::Button));
    Memo1->setPalette(buttonFace);

    Label2 = makeLabel(Panel1, QStringLiteral("Label2"), tr("作者主页:"), {48, 252, 54, 12});
    Label3 = makeLink(Panel1, QStringLiteral("Label3"), QString::fromUtf8(QUILLMAR_HOME_PAGE),
                      {112, 251, 168, 15});
    Label4 = makeLabel(Panel1, QStringLiteral("Label4"), tr("作者邮箱:"), {48, 277, 54, 12});
    Label5 = makeLink(Panel1, QStringLiteral("Label5"), QString::fromUtf8(QUILLMAR_EMAIL),
                      {112, 274, 119, 15});
    Label1 = makeLabel(Panel1, QStringLiteral("Label1"), tr("作者QQ:"), {60, 301, 42, 12});
    Label6 = makeLink(Panel1, QStringLiteral("Label6"), QString::fromUtf8(QUILLMAR_CONTACT_NUMBER),
                      {112, 298, 70, 15});
    for (QLabel *link : {Label3, Label5, Label6})
        link->installEventFilter(this);

    Panel2 = makePanel(this, QStringLiteral("Panel2"), {0, 332, 392, 41});
    BitBtn1 = new QPushButton(tr("确定(&O)"), Panel2);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(307, 8, 75, 25);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, BitBtn1));
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TForm_About::FormCreate()
{
    QStringList lines;
    FillVersionInfo(lines);
    Memo1->setPlainText(lines.join(QLatin1Char('\n')));
    // Lines one character high, as designed: all nine entries fit without
    // scrolling, whatever the line spacing of the font at hand.
    QTextCursor cursor(Memo1->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat format;
    format.setLineHeight(MemoLineHeight, QTextBlockFormat::FixedHeight);
    cursor.mergeBlockFormat(format);
}

void TForm_About::FillVersionInfo(QStringList &lines) const
{
    FillVersionInfo(lines, m_executablePath);
}

void TForm_About::FillVersionInfo(QStringList &lines, const QString &executablePath)
{
    const std::optional<VersionBlock> block = readVersionBlock(executablePath);
    lines.clear();
    if (!block) {
        lines << tr("产品名称: Quillmar奎尔玛");
        return;
    }
    // Only the Chinese (PRC) / code page 936 translation is looked up.
    for (const VersionKey &entry : VersionKeys) {
        const std::optional<QString> value = queryVersionValue(
            *block, QStringLiteral("StringFileInfo\\080403A8\\") + QLatin1String(entry.key));
        if (!value)
            continue;
        if (!lines.isEmpty())
            lines << QString();
        lines << tr(entry.label) + QStringLiteral(": ") + tr(value->toUtf8().constData());
    }
}

void TForm_About::Label3Click()
{
    m_shell.open(Label3->text());
}

void TForm_About::Label5Click()
{
    m_shell.open(QStringLiteral("mailto:") + Label5->text());
}

void TForm_About::Label6Click()
{
    const Dialogs::Button answer =
        m_dialogs.messageBox(tr("系统提示"), tr("是否把作者QQ号复制到剪贴板？"),
                             {Dialogs::Button::Yes, Dialogs::Button::No},
                             Dialogs::Icon::Information, Dialogs::Button::No);
    if (answer == Dialogs::Button::Yes)
        m_shell.setClipboardText(Label6->text());
}

bool TForm_About::eventFilter(QObject *watched, QEvent *event)
{
    // A label has no click of its own: a left press and a release over the
    // same label make one.
    auto *link = qobject_cast<QLabel *>(watched);
    if (!link || (link != Label3 && link != Label5 && link != Label6))
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress)
        return static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton;
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() != Qt::LeftButton
            || !link->rect().contains(mouse->position().toPoint()))
            return false;
        if (link == Label3)
            Label3Click();
        else if (link == Label5)
            Label5Click();
        else
            Label6Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
