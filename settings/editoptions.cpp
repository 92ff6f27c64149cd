// The options dialog, shown from the main window.
#include "app/tform_main.h"
#include "settings/tform_optionsetting.h"

#include <QCheckBox>

#include <memory>

void TForm_Main::EditOptions()
{
    // No owner; the unique_ptr destroys the dialog on every path, also when
    // saving fails.
    const auto dialog = std::make_unique<TForm_OptionSetting>();
    dialog->CheckBox_PauseWhenWriting->setChecked(OptionFlags.PauseWhenWriting);
    dialog->CheckBox_SetEndPointWhenWriting->setChecked(OptionFlags.SetEndPointWhenWriting);
    dialog->CheckBox_RecordDictateTime->setChecked(OptionFlags.RecordDictateTime);
    dialog->CheckBox_RecordRepeatPoints->setChecked(OptionFlags.RecordRepeatPoints);
    dialog->CheckBox_VerifyBeforeApplying->setChecked(OptionFlags.VerifyBeforeApplying);
    dialog->CheckBox_PlayAfterApplying->setChecked(OptionFlags.PlayAfterApplying);
    dialog->CheckBox_SelectAfterApplying->setChecked(OptionFlags.SelectAfterApplying);
    if (dialog->exec() != QDialog::Accepted)
        return;
    OptionFlags.PauseWhenWriting = dialog->CheckBox_PauseWhenWriting->isChecked();
    OptionFlags.SetEndPointWhenWriting = dialog->CheckBox_SetEndPointWhenWriting->isChecked();
    OptionFlags.RecordDictateTime = dialog->CheckBox_RecordDictateTime->isChecked();
    OptionFlags.RecordRepeatPoints = dialog->CheckBox_RecordRepeatPoints->isChecked();
    OptionFlags.VerifyBeforeApplying = dialog->CheckBox_VerifyBeforeApplying->isChecked();
    OptionFlags.PlayAfterApplying = dialog->CheckBox_PlayAfterApplying->isChecked();
    OptionFlags.SelectAfterApplying = dialog->CheckBox_SelectAfterApplying->isChecked();
    SaveOptions();
}
