#pragma once

#include <QString>

// The file F1 opens: "Quillmar.chm" in the program's folder when one is there;
// otherwise the HTML guide installed with the program
// (<programDir>/../share/quillmar/guide/index.html), or, for a program run
// from its build folder, the guide in the source tree; otherwise empty.
// programDir ends with a slash or not.
QString userGuidePath(const QString &programDir);
