#include "platform/desktopshell.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

void DesktopShell::open(const QString &target)
{
    // The result is not examined: with no program for the target nothing is shown.
    const QUrl url =
        target.contains(QLatin1String("://")) || target.startsWith(QLatin1String("mailto:"))
            ? QUrl(target)
            : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
}

void DesktopShell::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}
