#pragma once
// CImagePreview: the preview pane of the Images page, a static frame of the template taken over.
// It shows one picture scaled to fit inside the pane (5 pixels in from its frame) with its aspect
// kept and centred: a copy of a resource's decoded picture, or an OLE picture. An empty pane is
// left to the static control's own painting.
#include <windows.h>
#include <ocidl.h>
#include "com/MessageMap.h"
#include "com/Window.h"

class CImagePreview : public ycom::WindowObject
{
public:
    CImagePreview() = default;
    ~CImagePreview() override;

    bool Attach(HWND window) { return SubclassWindow(window); }
    // The OLE picture to show (null: none); the decoded picture held so far goes.
    void SetPicture(IPicture* picture);
    // A decoded picture (a GpImage the pane now owns; null: none) replaces the one held; the OLE
    // picture stays.
    void SetImage(void* image);
    // Both pictures go; the pane repaints.
    void Clear();
    bool IsEmpty() const { return !m_image && !m_picture; }
    // The pixel size of what is shown: the decoded picture's, else the OLE picture's.
    SIZE GetPictureSize() const;
    // Where the picture lands in a client area: inset by 5 pixels, the picture scaled to that
    // area's width when the area is not wider (in proportion) than the picture, else to its
    // height, centred in the other direction.
    static RECT FitRect(const RECT& client, SIZE picture);

    BEGIN_MSG_MAP(CImagePreview)
        MESSAGE_HANDLER(WM_PAINT, HandlePaint)
    END_MSG_MAP()

private:
    LRESULT HandlePaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void DropImage();
    void Refresh();

    void* m_image = nullptr;
    IPicture* m_picture = nullptr;
};
