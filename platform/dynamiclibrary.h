#pragma once

#include <QString>

// A shared library opened for the life of the process (never closed: its
// functions stay in use until the end), with its functions looked up by name.
class DynamicLibrary
{
public:
    explicit DynamicLibrary(const QString &path);

    // Why the library or the first missing function could not be had; empty
    // while all is well.
    const QString &error() const { return m_error; }

    template <typename Function>
    void resolve(Function &function, const char *name)
    {
        function = reinterpret_cast<Function>(symbol(name));
    }

private:
    void *symbol(const char *name);

    void *m_handle = nullptr;
    QString m_error;
};
