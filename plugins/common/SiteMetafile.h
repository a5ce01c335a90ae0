#pragma once
// The site drawn into a metafile by the control itself (ISite::DrawEx), and the world rectangle
// that such a drawing covers: the exporters' way to hand a part of the drawing that they cannot
// write shape by shape to a page or a file as a picture.
#include <windows.h>
#include "afx/Size.h"
#include "common/ComWrappers.h"
#include "common/RealRect.h"

// The world rectangle of a drawing mode's source (DrawModeFlags & dmfSourceMask): the draft
// limits, the displayed area of viewport 1, the selection's bounds, or else the bounds of the
// control's root group; (0, 0, 0, 0) when the root group is missing or the source has no shapes.
CRealRect<float> GetSiteMetafileRect(IYVEXControl* control, long mode);

// Draws the source of `mode` into a new metafile on `file` (null: in memory) and answers it.
// `size` is the wanted size in screen pixels (0 in either direction: 800 x 600); it comes back
// fitted to the source's proportions. Null when the source has no extent. An enhanced metafile
// unless `plain`, when an old-style one is made (the answer is then its HMETAFILE).
HANDLE DrawSiteOnMetafile(IYVEXControl* control, CSize& size, const char* file, int mode, bool plain = false);
