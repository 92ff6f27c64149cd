#pragma once

#include "settings/optionflags.h"

class QWidget;

// Shows the options dialog filled from the flags; on OK, the flags take the
// boxes' states and true is returned.
bool editOptions(TOptionFlags &flags, QWidget *parent);
