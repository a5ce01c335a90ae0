#pragma once
#include <windows.h>
#include "model/RealPoint.h"
#include "model/RealRect.h"
// The print settings that the printing core and the page set-up dialog read: what and how to
// print, kept equal to the page set-up record by every setter of the print object, whether a
// print rectangle has been given, and the dialog structure being filled.
class CPrintSettings
{
public:
    int printType = 0;
    CRealRect printRect;
    short centered = 0;
    CRealPoint printOffset{0.0f, 0.0f};
    float printScale = -1.0f;
    int rectGiven = 0;
    int fitToPage = 1;
    int showPreview = 1;
    void* dialog = nullptr;
};
