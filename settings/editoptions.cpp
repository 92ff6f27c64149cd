#include "settings/editoptions.h"

#include "settings/tform_optionsetting.h"

#include <QCheckBox>

#include <memory>

bool editOptions(TOptionFlags &flags, QWidget *parent)
{
    // The unique_ptr destroys the dialog on every path.
    const auto dialog = std::make_unique<TForm_OptionSetting>(parent);
    const std::pair<QCheckBox *, bool TOptionFlags::*> boxes[] = {
        {dialog->CheckBox_PauseWhenWriting, &TOptionFlags::PauseWhenWriting},
        {dialog->CheckBox_SetEndPointWhenWriting, &TOptionFlags::SetEndPointWhenWriting},
        {dialog->CheckBox_RecordDictateTime, &TOptionFlags::RecordDictateTime},
        {dialog->CheckBox_RecordRepeatPoints, &TOptionFlags::RecordRepeatPoints},
        {dialog->CheckBox_VerifyBeforeApplying, &TOptionFlags::VerifyBeforeApplying},
        {dialog->CheckBox_PlayAfterApplying, &TOptionFlags::PlayAfterApplying},
        {dialog->CheckBox_SelectAfterApplying, &TOptionFlags::SelectAfterApplying},
    };
    for (const auto &[box, flag] : boxes)
        box->setChecked(flags.*flag);
    if (dialog->exec() != QDialog::Accepted)
        return false;
    for (const auto &[box, flag] : boxes)
        flags.*flag = box->isChecked();
    return true;
}
