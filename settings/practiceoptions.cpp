#include "settings/practiceoptions.h"

#include "platform/windowfont.h"
#include "settings/tform_optionsetting.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <memory>

namespace {

double fallbackOf(const PreferenceKey &key)
{
    return preferenceValue(key, QString(key.fallback)).value_or(0.0);
}

template <class Box>
void setRange(Box *box, const PreferenceKey &key)
{
    box->setRange(key.lowest, key.highest);
}

// Enter on a check box of the options page presses its OK, as in the page
// standing alone: inside another dialog, the page's default button gives way
// to that dialog's buttons.
class EnterPressesOk : public QObject
{
public:
    EnterPressesOk(QPushButton *ok, QObject *parent) : QObject(parent), m_ok(ok) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
            if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                m_ok->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QPushButton *m_ok;
};

} // namespace

PracticeSettings PracticeSettings::defaults()
{
    PracticeSettings d;
    d.sentenceMode = fallbackOf(Preferences::SentenceMode) != 0;
    d.passMark = int(fallbackOf(Preferences::PassMark));
    d.sentenceLength = fallbackOf(Preferences::SentenceLength);
    d.playsPerSentence = int(fallbackOf(Preferences::PlaysPerSentence));
    d.hideAnswer = fallbackOf(Preferences::HideAnswer) != 0;
    d.exactLoop = fallbackOf(Preferences::ExactLoop) != 0;
    d.rewindOnPause = fallbackOf(Preferences::RewindOnPause);
    return d;
}

PracticePage::PracticePage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Page_Practice"));
    auto *form = new QFormLayout(this);
    m_sentenceMode = new QCheckBox(tr("逐句听写（Ctrl+L）"), this);
    m_sentenceMode->setObjectName(QStringLiteral("CheckBox_SentenceMode"));
    m_passMark = new QSpinBox(this);
    m_passMark->setObjectName(QStringLiteral("SpinBox_PassMark"));
    setRange(m_passMark, Preferences::PassMark);
    m_passMark->setSuffix(QStringLiteral(" %"));
    m_sentenceLength = new QDoubleSpinBox(this);
    m_sentenceLength->setObjectName(QStringLiteral("SpinBox_SentenceLength"));
    setRange(m_sentenceLength, Preferences::SentenceLength);
    m_sentenceLength->setDecimals(Preferences::SentenceLength.decimals);
    m_sentenceLength->setSingleStep(0.5);
    m_sentenceLength->setSuffix(tr(" 秒"));
    m_playsPerSentence = new QSpinBox(this);
    m_playsPerSentence->setObjectName(QStringLiteral("SpinBox_PlaysPerSentence"));
    setRange(m_playsPerSentence, Preferences::PlaysPerSentence);
    // 0 reads as what it does.
    m_playsPerSentence->setSpecialValueText(tr("循环到提交为止"));
    m_playsPerSentence->setSuffix(tr(" 遍"));
    m_hideAnswer = new QCheckBox(tr("听写时隐藏答案"), this);
    m_hideAnswer->setObjectName(QStringLiteral("CheckBox_HideAnswer"));
    m_exactLoop = new QCheckBox(tr("精确循环"), this);
    m_exactLoop->setObjectName(QStringLiteral("CheckBox_ExactLoop"));
    m_rewindOnPause = new QDoubleSpinBox(this);
    m_rewindOnPause->setObjectName(QStringLiteral("SpinBox_RewindOnPause"));
    setRange(m_rewindOnPause, Preferences::RewindOnPause);
    m_rewindOnPause->setDecimals(Preferences::RewindOnPause.decimals);
    m_rewindOnPause->setSingleStep(0.5);
    m_rewindOnPause->setSpecialValueText(tr("不后退"));
    m_rewindOnPause->setSuffix(tr(" 秒"));

    form->addRow(m_sentenceMode);
    form->addRow(tr("过关分数："), m_passMark);
    form->addRow(tr("句子最长："), m_sentenceLength);
    form->addRow(tr("每句播放次数："), m_playsPerSentence);
    form->addRow(tr("暂停时后退："), m_rewindOnPause);
    form->addRow(m_hideAnswer);
    form->addRow(m_exactLoop);
    auto *note = new QLabel(tr("复习（F9）和学习统计（Shift+F9）在“练习”菜单中。"), this);
    note->setObjectName(QStringLiteral("Label_PracticeNote"));
    note->setWordWrap(true);
    form->addRow(note);
}

void PracticePage::setSettings(const PracticeSettings &s)
{
    m_sentenceMode->setChecked(s.sentenceMode);
    m_passMark->setValue(s.passMark);
    m_sentenceLength->setValue(s.sentenceLength);
    m_playsPerSentence->setValue(s.playsPerSentence);
    m_hideAnswer->setChecked(s.hideAnswer);
    m_exactLoop->setChecked(s.exactLoop);
    m_rewindOnPause->setValue(s.rewindOnPause);
}

PracticeSettings PracticePage::settings() const
{
    PracticeSettings s;
    s.sentenceMode = m_sentenceMode->isChecked();
    s.passMark = m_passMark->value();
    s.sentenceLength = m_sentenceLength->value();
    s.playsPerSentence = m_playsPerSentence->value();
    s.hideAnswer = m_hideAnswer->isChecked();
    s.exactLoop = m_exactLoop->isChecked();
    s.rewindOnPause = m_rewindOnPause->value();
    return s;
}

bool editOptions(TOptionFlags &flags, PracticeSettings &practice, QWidget *parent)
{
    // The unique_ptr destroys the dialog on every path.
    const auto box =
        std::make_unique<QDialog>(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                                              | Qt::WindowCloseButtonHint);
    box->setObjectName(QStringLiteral("Dialog_Options"));
    box->setFont(WindowFont());
    auto *column = new QVBoxLayout(box.get());
    column->setContentsMargins(4, 4, 4, 4);
    auto *tabs = new QTabWidget(box.get());
    tabs->setObjectName(QStringLiteral("Tabs_Options"));
    column->addWidget(tabs);

    // The options page exactly as it stands alone, with its own OK and Cancel.
    auto *options = new TForm_OptionSetting(tabs);
    options->setWindowFlags(Qt::Widget);
    box->setWindowTitle(options->windowTitle());
    tabs->addTab(options, TForm_OptionSetting::tr("复读操作控制"));
    QObject::connect(options, &QDialog::finished, box.get(), &QDialog::done);

    auto *practicePage = new QWidget(tabs);
    auto *practiceColumn = new QVBoxLayout(practicePage);
    practiceColumn->setContentsMargins(0, 0, 0, 0);
    auto *page = new PracticePage(practicePage);
    practiceColumn->addWidget(page, 1);
    auto *buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, practicePage);
    buttons->setObjectName(QStringLiteral("Buttons_Practice"));
    practiceColumn->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box.get(), &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box.get(), &QDialog::reject);
    tabs->addTab(practicePage, PracticePage::tr("练习"));
    // Enter presses OK of the page in front: the options page, a dialog of
    // its own, keeps its OK as its default; the practice page's OK is the
    // default of the dialog around both, which then leaves the options
    // page's buttons alone when it shows.
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    options->installEventFilter(new EnterPressesOk(options->BitBtn1, options));

    const std::pair<QCheckBox *, bool TOptionFlags::*> flagBoxes[] = {
        {options->CheckBox_PauseWhenWriting, &TOptionFlags::PauseWhenWriting},
        {options->CheckBox_SetEndPointWhenWriting, &TOptionFlags::SetEndPointWhenWriting},
        {options->CheckBox_RecordDictateTime, &TOptionFlags::RecordDictateTime},
        {options->CheckBox_RecordRepeatPoints, &TOptionFlags::RecordRepeatPoints},
        {options->CheckBox_VerifyBeforeApplying, &TOptionFlags::VerifyBeforeApplying},
        {options->CheckBox_PlayAfterApplying, &TOptionFlags::PlayAfterApplying},
        {options->CheckBox_SelectAfterApplying, &TOptionFlags::SelectAfterApplying},
    };
    for (const auto &[check, flag] : flagBoxes)
        check->setChecked(flags.*flag);
    page->setSettings(practice);
    if (box->exec() != QDialog::Accepted)
        return false;
    for (const auto &[check, flag] : flagBoxes)
        flags.*flag = check->isChecked();
    practice = page->settings();
    return true;
}
