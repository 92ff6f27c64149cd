#include "platform/qtdialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>

namespace {

QString buttonText(Dialogs::Button button)
{
    switch (button) {
    case Dialogs::Button::Ok:
        return QCoreApplication::translate("QtDialogs", "确定");
    case Dialogs::Button::Cancel:
        return QCoreApplication::translate("QtDialogs", "取消");
    case Dialogs::Button::Yes:
        return QCoreApplication::translate("QtDialogs", "是(&Y)");
    case Dialogs::Button::No:
        return QCoreApplication::translate("QtDialogs", "否(&N)");
    }
    return {};
}

QMessageBox::ButtonRole buttonRole(Dialogs::Button button)
{
    switch (button) {
    case Dialogs::Button::Ok:
        return QMessageBox::AcceptRole;
    case Dialogs::Button::Cancel:
        return QMessageBox::RejectRole;
    case Dialogs::Button::Yes:
        return QMessageBox::YesRole;
    case Dialogs::Button::No:
        return QMessageBox::NoRole;
    }
    return QMessageBox::AcceptRole;
}

QMessageBox::Icon boxIcon(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::Warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::Error:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

void applyRequest(QFileDialog &dialog, const Dialogs::FileRequest &request)
{
    dialog.setWindowTitle(request.title);
    dialog.setNameFilter(QtDialogs::toQtFilter(request.filter));
    if (!request.initialDir.isEmpty())
        dialog.setDirectory(request.initialDir);
    if (!request.fileName.isEmpty()) {
        const QFileInfo preset(request.fileName);
        if (!preset.path().isEmpty() && preset.path() != QLatin1String("."))
            dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.confirmOverwrite)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
}

} // namespace

QString QtDialogs::toQtFilter(const QString &windowsFilter)
{
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString patterns = parts[i + 1];
        const qsizetype open = description.indexOf(QLatin1Char('('));
        if (open >= 0)
            description = description.left(open).trimmed();
        QString qtPatterns = patterns;
        qtPatterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(description, qtPatterns);
    }
    return filters.join(QStringLiteral(";;"));
}

Dialogs::Button QtDialogs::messageBox(const QString &caption, const QString &text,
                                      const QList<Button> &buttons, Icon icon, Button defaultButton)
{
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::NoButton, m_parent);
    QList<std::pair<QAbstractButton *, Button>> map;
    for (Button b : buttons) {
        QPushButton *pb = box.addButton(buttonText(b), buttonRole(b));
        map.append({pb, b});
        if (b == defaultButton)
            box.setDefaultButton(pb);
    }
    // Esc and the close box answer Cancel when there is one, otherwise the
    // last button (No for a yes/no question, OK for a notice).
    for (const auto &[pb, b] : map) {
        if (b == Button::Cancel)
            box.setEscapeButton(pb);
    }
    if (!box.escapeButton() && !map.isEmpty())
        box.setEscapeButton(map.last().first);
    box.exec();
    for (const auto &[pb, b] : map) {
        if (box.clickedButton() == pb)
            return b;
    }
    return buttons.contains(Button::Cancel) ? Button::Cancel
                                            : (buttons.isEmpty() ? Button::Ok : buttons.last());
}

std::optional<QString> QtDialogs::openFile(const FileRequest &request)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    applyRequest(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::saveFile(const FileRequest &request)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    applyRequest(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
