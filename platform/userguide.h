#pragma once

#include "platform/qttranslations.h"

#include <QString>

// The help file F1 opens through the shell: "Quillmar.chm" in the program's
// folder, when one is there; otherwise empty. programDir ends with a slash
// or not.
QString helpFilePath(const QString &programDir);

// The first page of the guide in the interface language, which the
// program's own help window shows: the guide installed with the program
// (<programDir>/../share/quillmar/guide/<language>/index.html) or, for a
// program run from its build folder, the guide in the source tree. The
// guide in the other language stands in when this one is missing; empty
// when there is none at all.
QString userGuidePath(const QString &programDir, InterfaceLanguage language);

// The guide's folder name for a language: "zh_CN" or "en".
QString guideLanguageFolder(InterfaceLanguage language);
