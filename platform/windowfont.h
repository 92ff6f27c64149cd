#pragma once

#include <QFont>

// The font of the program's windows: SimSun (宋体), 12 pixels.
inline QFont WindowFont()
{
    QFont font(QStringLiteral("SimSun"));
    font.setPixelSize(12);
    return font;
}
