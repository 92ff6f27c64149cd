#include "settings/tform_optionsetting.h"

#include "platform/windowfont.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <type_traits>

namespace {

QFrame *makePanel(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setGeometry(geometry);
    return panel;
}

// A captioned control at its designed place, wider when its caption needs it
// (English captions are longer than the Chinese ones the design was made for).
template <class Control>
Control *place(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *control = new Control(caption, parent);
    control->setObjectName(name);
    QRect fitted = geometry;
    if constexpr (std::is_same_v<Control, QPushButton>) {
        // Not the size hint: it is never below 80 pixels, whatever the caption.
        const int margin = control->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, control);
        const int needed =
            control->fontMetrics().horizontalAdvance(QString(caption).remove(QLatin1Char('&')))
            + 2 * margin;
        fitted.setWidth(std::max(geometry.width(), needed));
    } else if constexpr (std::is_same_v<Control, QCheckBox>) {
        fitted.setWidth(std::max(geometry.width(), control->sizeHint().width()));
    }
    control->setGeometry(fitted);
    return control;
}

} // namespace

TForm_OptionSetting::TForm_OptionSetting(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form_OptionSetting"));
    setWindowTitle(tr("选项设置"));
    setFont(WindowFont());
    setFixedSize(392, 373);

    // Created in tab order, so the focus chain follows it.
    Panel2 = makePanel(this, QStringLiteral("Panel2"), {0, 0, 392, 332});
    GroupBox1 = place<QGroupBox>(Panel2, QStringLiteral("GroupBox1"), tr("复读操作控制"),
                                 {24, 16, 346, 193});
    CheckBox_SetEndPointWhenWriting =
        place<QCheckBox>(GroupBox1, QStringLiteral("CheckBox_SetEndPointWhenWriting"),
                         tr("自动设置循环结束点"), {28, 32, 200, 17});
    CheckBox_PauseWhenWriting =
        place<QCheckBox>(GroupBox1, QStringLiteral("CheckBox_PauseWhenWriting"),
                         tr("开始听写时暂停播音"), {28, 56, 200, 17});
    CheckBox_VerifyBeforeApplying =
        place<QCheckBox>(GroupBox1, QStringLiteral("CheckBox_VerifyBeforeApplying"), tr("检查答案"),
                         {28, 80, 200, 17});
    CheckBox_SelectAfterApplying =
        place<QCheckBox>(GroupBox1, QStringLiteral("CheckBox_SelectAfterApplying"),
                         tr("听写完一句后将当前循环结束点设为起始点"), {28, 104, 259, 17});
    CheckBox_PlayAfterApplying =
        place<QCheckBox>(GroupBox1, QStringLiteral("CheckBox_PlayAfterApplying"),
                         tr("听写完一句后继续播放"), {28, 128, 200, 17});
    Button_Manual = place<QPushButton>(GroupBox1, QStringLiteral("Button_Manual"),
                                       tr("手动模式(推荐)(&M)"), {40, 160, 120, 25});
    Button_Auto = place<QPushButton>(GroupBox1, QStringLiteral("Button_Auto"), tr("自动模式(&A)"),
                                     {176, 160, 75, 25});
    // The designed gap after a widened first button.
    Button_Auto->move(std::max(Button_Auto->x(), Button_Manual->geometry().right() + 17),
                      Button_Auto->y());

    GroupBox2 = place<QGroupBox>(Panel2, QStringLiteral("GroupBox2"), tr("附加记录内容"),
                                 {24, 232, 346, 73});
    CheckBox_RecordRepeatPoints =
        place<QCheckBox>(GroupBox2, QStringLiteral("CheckBox_RecordRepeatPoints"),
                         tr("记录复读时间点"), {19, 32, 150, 17});
    CheckBox_RecordDictateTime =
        place<QCheckBox>(GroupBox2, QStringLiteral("CheckBox_RecordDictateTime"),
                         tr("记录听写时间"), {171, 32, 150, 17});

    Panel1 = makePanel(this, QStringLiteral("Panel1"), {0, 332, 392, 41});
    BitBtn1 =
        place<QPushButton>(Panel1, QStringLiteral("BitBtn1"), tr("确定(&O)"), {220, 8, 75, 25});
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton, nullptr, BitBtn1));
    BitBtn1->setDefault(true);
    BitBtn2 =
        place<QPushButton>(Panel1, QStringLiteral("BitBtn2"), tr("取消(&C)"), {308, 8, 75, 25});
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton, nullptr, BitBtn2));
    Button_DefaultSet = place<QPushButton>(Panel1, QStringLiteral("Button_DefaultSet"),
                                           tr("默认设置(&D)"), {24, 8, 75, 25});

    // QDialog::reject() also answers Esc and the close box.
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button_Manual, &QPushButton::clicked, this, &TForm_OptionSetting::Button_ManualClick);
    connect(Button_Auto, &QPushButton::clicked, this, &TForm_OptionSetting::Button_AutoClick);
    connect(Button_DefaultSet, &QPushButton::clicked, this,
            &TForm_OptionSetting::Button_DefaultSetClick);
}

void TForm_OptionSetting::Button_ManualClick()
{
    CheckBox_PauseWhenWriting->setChecked(false);
    CheckBox_SetEndPointWhenWriting->setChecked(false);
    CheckBox_VerifyBeforeApplying->setChecked(true);
    CheckBox_SelectAfterApplying->setChecked(false);
    CheckBox_PlayAfterApplying->setChecked(false);
}

void TForm_OptionSetting::Button_AutoClick()
{
    CheckBox_PauseWhenWriting->setChecked(false);
    CheckBox_SetEndPointWhenWriting->setChecked(true);
    CheckBox_VerifyBeforeApplying->setChecked(true);
    CheckBox_SelectAfterApplying->setChecked(true);
    CheckBox_PlayAfterApplying->setChecked(false);
}

void TForm_OptionSetting::Button_DefaultSetClick()
{
    Button_ManualClick();
    CheckBox_RecordDictateTime->setChecked(true);
    CheckBox_RecordRepeatPoints->setChecked(true);
    CheckBox_VerifyBeforeApplying->setChecked(true);
}
