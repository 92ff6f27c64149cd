#include "platform/qtdialogs.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStringList>
#include <QTreeView>

#include <algorithm>

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
    const QStringList filters = QtDialogs::toQtFilter(request.filter).split(QStringLiteral(";;"));
    dialog.setNameFilters(filters);
    if (request.filterIndex > 0 && request.filterIndex < filters.size())
        dialog.selectNameFilter(filters.at(request.filterIndex));
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

// Qt's own dialog opens too small for its columns: sizes, kinds and dates
// were cut to "30…iB" and "MP…io". Wide enough for them, within the screen,
// with the columns beside the name as wide as what they show.
void fitToContents(QFileDialog &dialog)
{
    QSize size(860, 540);
    if (const QScreen *screen = dialog.screen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    dialog.resize(size);
    auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!details)
        return; // the platform's own dialog sizes itself
    // The places at the left as wide as their names ("Computer", "计算机").
    if (auto *places = dialog.findChild<QSplitter *>(QStringLiteral("splitter")))
        places->setSizes({170, size.width() - 170});
    QHeaderView *header = details->header();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(60);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < header->count(); ++column)
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
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
    fitToContents(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    if (request.chosenFilterIndex) {
        const QStringList filters = dialog.nameFilters();
        *request.chosenFilterIndex = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
    }
    return dialog.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::saveFile(const FileRequest &request)
{
    QFileDialog dialog(m_parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    applyRequest(dialog, request);
    fitToContents(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
