#pragma once

#include <QString>

#include <functional>
#include <type_traits>

class Dialogs;

// Runs a command or event handler: an abandoned chain ends silently, an
// unexpected error is shown in a message box captioned with the program's
// title, and the program goes on.
class Guard
{
public:
    Guard(Dialogs *dialogs, QString caption);

    void run(const std::function<void()> &handler) const;
    void showError(const QString &text) const;

    // A slot for a connection that runs the handler under this guard. The
    // handler takes the signal's arguments, or none.
    template <typename F>
    auto wrap(F handler) const
    {
        return [this, handler](const auto &...args) {
            run([&] {
                if constexpr (std::is_invocable_v<const F &, decltype(args)...>)
                    handler(args...);
                else
                    handler();
            });
        };
    }

private:
    Dialogs *m_dialogs;
    QString m_caption;
};
