#pragma once

#include "platform/dialogs.h"

class QWidget;

// The product's dialogs: Qt message boxes with Chinese button texts and Qt's
// file dialogs.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    Button messageBox(const QString &caption, const QString &text, const QList<Button> &buttons,
                      Icon icon, Button defaultButton) override;
    std::optional<QString> openFile(const FileRequest &request) override;
    std::optional<QString> saveFile(const FileRequest &request) override;

    // "音频文件 (*.mp3;*.wma)|*.mp3;*.wma" -> "音频文件 (*.mp3 *.wma)"
    static QString toQtFilter(const QString &windowsFilter);

private:
    QWidget *m_parent;
};
