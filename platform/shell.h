#pragma once

#include <QString>

// Shell services: open a document or address with its associated program,
// and the clipboard.
class Shell
{
public:
    virtual ~Shell() = default;
    // target: a full file path or a URL such as "mailto:...".
    virtual void open(const QString &target) = 0;
    virtual void setClipboardText(const QString &text) = 0;
};
