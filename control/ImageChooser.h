#pragma once
// The picture for an image the user draws with the mouse: the image chooser asks for it (a
// picture of the drawing or of the database, the size to give it, whether a metafile picture
// becomes a block reference). The chooser sits with the dialogs above the control; the module
// names it at start. A control without one draws the picture it holds pending (the default
// picture when none).
#include <windows.h>
#include "model/ShapeHost.h"

class CYVEXControl;

// Runs the chooser over `parent` starting from `choice` (the previous answer); true with the
// user's answer in `choice`, false when cancelled.
using ImageChooser = bool (*)(CYVEXControl* control, HWND parent, CShapeHost::CPendingImage& choice);

// Named once by the module.
void SetImageChooser(ImageChooser chooser);
ImageChooser GetImageChooser();
