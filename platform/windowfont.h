#pragma once

#include <QFont>
#include <QStringList>

// The font of the program's windows: SimSun (宋体), 12 pixels. Where SimSun is
// missing (Linux), fontconfig would put Latin letters and digits in a serif
// font beside sans-serif Chinese; the families after it are sans-serif CJK
// fonts whose own Latin letters and digits match their Chinese, so one of them
// draws all three alike (Noto Sans CJK SC comes with fonts-noto-cjk).
inline QFont WindowFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Source Han Sans SC"), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    return font;
}
