#pragma once

#include <QDialog>

class QCheckBox;
class QFrame;
class QGroupBox;
class QPushButton;

// The options dialog: one check box per option flag, three presets, OK and
// Cancel. It holds no state beyond its controls; EditOptions fills the boxes
// before showing it and reads them back on OK.
class TForm_OptionSetting : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_OptionSetting(QWidget *parent = nullptr);

    // Presets; they change only the check boxes.
    void Button_ManualClick();
    void Button_AutoClick();
    void Button_DefaultSetClick();

    QFrame *Panel2 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QCheckBox *CheckBox_SetEndPointWhenWriting = nullptr;
    QCheckBox *CheckBox_PauseWhenWriting = nullptr;
    QCheckBox *CheckBox_VerifyBeforeApplying = nullptr;
    QCheckBox *CheckBox_SelectAfterApplying = nullptr;
    QCheckBox *CheckBox_PlayAfterApplying = nullptr;
    QPushButton *Button_Manual = nullptr;
    QPushButton *Button_Auto = nullptr;
    QGroupBox *GroupBox2 = nullptr;
    QCheckBox *CheckBox_RecordRepeatPoints = nullptr;
    QCheckBox *CheckBox_RecordDictateTime = nullptr;
    QFrame *Panel1 = nullptr;
    QPushButton *BitBtn1 = nullptr;
    QPushButton *BitBtn2 = nullptr;
    QPushButton *Button_DefaultSet = nullptr;
};
