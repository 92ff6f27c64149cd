#include "app/tform_main.h"

void TForm_Main::ShowAbout() {}
