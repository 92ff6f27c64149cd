#pragma once

#include "platform/shell.h"

#include <QStringList>

// Records what the program asked the shell to open or copy.
class FakeShell : public Shell
{
public:
    void open(const QString &target) override { opened << target; }
    void setClipboardText(const QString &text) override { clipboard << text; }

    QStringList opened;
    QStringList clipboard;
};
