#include "support/buildpaths.h"

namespace BuildPaths {
QString program()
{
    return QStringLiteral(QUILLMAR_EXECUTABLE);
}
QString faultsSaver()
{
    return QStringLiteral(QUILLMAR_FAULTS_SAVER);
}
QString recoveryDriver()
{
    return QStringLiteral(QUILLMAR_RECOVERY_DRIVER);
}
QString videoDriver()
{
    return QStringLiteral(QUILLMAR_VIDEO_DRIVER);
}
} // namespace BuildPaths
