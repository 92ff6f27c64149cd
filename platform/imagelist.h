#pragma once

#include <QIcon>

// The shared image list of the main window: 33 images of 16 x 16 pixels,
// drawn as SVG so they stay sharp at any device pixel ratio.
constexpr int ImageListCount = 33;

// Makes the compiled-in icon resources available. The resources live in a
// static library, so the executable has to pull them in once at start-up,
// before the first icon is asked for.
void initImageListResources();

// The image at index 0..ImageListCount-1; a null icon for any other index.
QIcon imageListIcon(int index);

// The application's own icon.
QIcon applicationIcon();
