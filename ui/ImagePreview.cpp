#include "ui/ImagePreview.h"
#include "model/ViewMapping.h"
#include <objidl.h>
#include <gdiplus.h>

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
constexpr int kInset = 5;
} // namespace

CImagePreview::~CImagePreview()
{
    DropImage();
    if (m_picture)
        m_picture->Release();
}

void CImagePreview::DropImage()
{
    if (m_image)
        GdipDisposeImage(static_cast<GpImage*>(m_image));
    m_image = nullptr;
}

void CImagePreview::Refresh()
{
    if (IsWindow())
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CImagePreview::SetPicture(IPicture* picture)
{
    DropImage();
    if (picture)
        picture->AddRef();
    if (m_picture)
        m_picture->Release();
    m_picture = picture;
    Refresh();
}

void CImagePreview::SetImage(void* image)
{
    DropImage();
    m_image = image;
    Refresh();
}

void CImagePreview::Clear()
{
    DropImage();
    if (m_picture)
        m_picture->Release();
    m_picture = nullptr;
    Refresh();
}

SIZE CImagePreview::GetPictureSize() const
{
    SIZE size = {0, 0};
    if (m_image) {
        UINT width = 0, height = 0;
        GdipGetImageWidth(static_cast<GpImage*>(m_image), &width);
        GdipGetImageHeight(static_cast<GpImage*>(m_image), &height);
        size.cx = static_cast<LONG>(width);
        size.cy = static_cast<LONG>(height);
    } else if (m_picture) {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        m_picture->get_Width(&width);
        m_picture->get_Height(&height);
        size = HimetricToDevice(SIZE{width, height});
    }
    return size;
}

RECT CImagePreview::FitRect(const RECT& client, SIZE picture)
{
    RECT area = {client.left + kInset, client.top + kInset, client.right - kInset, client.bottom - kInset};
    const LONG width = area.right - area.left, height = area.bottom - area.top;
    if (picture.cx <= 0 || picture.cy <= 0 || width <= 0 || height <= 0)
        return area;
    // Width-limited when the area is not wider than the picture in proportion.
    if (static_cast<double>(width) / height <= static_cast<double>(picture.cx) / picture.cy) {
        const LONG fitted = static_cast<LONG>(static_cast<double>(width) * picture.cy / picture.cx);
        area.top += (height - fitted) / 2;
        area.bottom = area.top + fitted;
    } else {
        const LONG fitted = static_cast<LONG>(static_cast<double>(height) * picture.cx / picture.cy);
        area.left += (width - fitted) / 2;
        area.right = area.left + fitted;
    }
    return area;
}

LRESULT CImagePreview::HandlePaint(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (IsEmpty()) {
        handled = FALSE;
        return 0;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT client;
    GetClientRect(m_hWnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, client.left, client.top, client.right, client.bottom);
    SelectObject(dc, oldBrush);
    const RECT fit = FitRect(client, GetPictureSize());
    if (m_image) {
        GpGraphics* graphics = nullptr;
        if (GdipCreateFromHDC(dc, &graphics) == Ok) {
            GdipDrawImageRectI(graphics, static_cast<GpImage*>(m_image), fit.left, fit.top, fit.right - fit.left,
                               fit.bottom - fit.top);
            GdipDeleteGraphics(graphics);
        }
    } else {
        OLE_XSIZE_HIMETRIC width = 0;
        OLE_YSIZE_HIMETRIC height = 0;
        m_picture->get_Width(&width);
        m_picture->get_Height(&height);
        // The picture's y axis runs up: its full extent, drawn from its top.
        m_picture->Render(dc, fit.left, fit.top, fit.right - fit.left, fit.bottom - fit.top, 0, height, width, -height,
                          nullptr);
    }
    EndPaint(m_hWnd, &paint);
    return 0;
}
