#pragma once

#include "platform/shell.h"

// Shell services through QDesktopServices and the system clipboard.
class DesktopShell : public Shell
{
public:
    void open(const QString &target) override;
    void setClipboardText(const QString &text) override;
};
