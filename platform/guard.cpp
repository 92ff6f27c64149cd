#include "platform/guard.h"

#include "platform/dialogs.h"
#include "platform/errors.h"

#include <exception>
#include <utility>

Guard::Guard(Dialogs *dialogs, QString caption) : m_dialogs(dialogs), m_caption(std::move(caption))
{}

void Guard::run(const std::function<void()> &handler) const
{
    try {
        handler();
    } catch (const Abandon &) {
        // The user cancelled, or a save was refused; already said what was needed.
    } catch (const AppError &error) {
        showError(error.text());
    } catch (const std::exception &error) {
        showError(QString::fromLocal8Bit(error.what()));
    }
}

void Guard::showError(const QString &text) const
{
    QString message = text;
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        message += QLatin1Char('.');
    m_dialogs->messageBox(m_caption, message, {Dialogs::Button::Ok}, Dialogs::Icon::Error,
                          Dialogs::Button::Ok);
}
