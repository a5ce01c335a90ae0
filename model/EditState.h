#pragma once
#include <windows.h>
#include <vector>
#include "model/RealPoint.h"

class CShape;

// The edit state of the control: the one shape under interactive creation or edit and what its
// edit hooks keep between mouse events.
struct CEditState
{
    // The operation code of editing a text.
    static constexpr int kTextEditOperation = 512;

    CShape* editedShape = nullptr;  // null when idle
    CShape* tracker = nullptr;      // the copy showing the state before the edit
    int editMode = 0;               // EditShapeTypes; 0 no edit
    int operation = 0;              // the operation under way: kTextEditOperation while a text is edited
    DWORD controlState = 0;         // ControlStates
    DWORD editFlags = 0;            // bit 0x1: the edit target moves without the move locks
    // The steps of the running point edit, cleared when a shape starts an edit: 0x1 a duplicate
    // point at or before the edited handle was taken out, 0x2 a free-hand stroke.
    DWORD editStepFlags = 0;
    CRealPoint dragStart;
    bool dragActive = false;
    int pickedPointId = 0;
    int orthoDirection = 0;         // ortho drags keep y (0) or x (1)
    bool hideWhileDragging = false;
    CRealPoint mousePosition;       // the mouse in world units, as last seen
    // The start of the rubber band drawn while a plain group is edited.
    CRealPoint rubberStart;
    bool hasRubberStart = false;
    // Where the dragged handle of a resized group stood at the first drag of the operation.
    CRealPoint editAnchor;
    bool hasEditAnchor = false;
    // The shape whose contents the user works in (nothing inside it is picked), and the shapes
    // the last pick hit.
    CShape* containerShape = nullptr;
    std::vector<CShape*> hitShapes;
};
