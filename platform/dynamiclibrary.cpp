#include "platform/dynamiclibrary.h"

#include <QCoreApplication>
#include <QFile>

#include <dlfcn.h>

DynamicLibrary::DynamicLibrary(const QString &path)
    : m_handle(dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL))
{
    if (!m_handle) {
        const char *text = dlerror();
        m_error = text ? QString::fromLocal8Bit(text)
                       : QCoreApplication::translate("MpvPlayer", "未知原因");
    }
}

void *DynamicLibrary::symbol(const char *name)
{
    void *found = m_handle ? dlsym(m_handle, name) : nullptr;
    if (!found && m_error.isEmpty())
        m_error = QCoreApplication::translate("MpvPlayer", "缺少函数 %1").arg(QLatin1String(name));
    return found;
}
