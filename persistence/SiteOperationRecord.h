#pragma once
// What a worker thread of a site operation (load, save, delete) hands to the control's window
// with each stage message: the window's thread announces the stage to the host and, for a
// beginning, leaves the host's answer in the worker's proceed flag before SendMessage returns.
#include <windows.h>
#include <oaidl.h>

struct CSiteOperationRecord {
    LONG storageType = 0;     // StorageTypes
    BSTR name = nullptr;      // the site's name (not owned)
    LONG siteId = 0;
    BOOL* proceed = nullptr;  // the worker's proceed flag (beginning stages)
    SHORT result = 0;         // the outcome of an ending stage, non-zero for success
};

// The stages of WM_USER+33 (wParam).
enum SiteOperationStage {
    kStageBeginLoad = 0,
    kStageEndLoad = 1,
    kStageBeginSave = 2,
    kStageEndSave = 3,
    kStageBeginDelete = 4,
    kStageEndDelete = 5,
};
