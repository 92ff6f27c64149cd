#pragma once

#include <QString>
#include <stdexcept>

// An unexpected failure: ends the running handler, whose guard shows the text.
class AppError : public std::runtime_error
{
public:
    explicit AppError(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

// A failing player call.
class PlayerError : public AppError
{
public:
    using AppError::AppError;
};

// The user cancelled a question or dialog, or a save was refused: the whole
// chain of operations ends silently, up to the handler's guard.
class Abandon
{
};
