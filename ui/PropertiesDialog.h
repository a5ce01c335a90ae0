#pragma once
// CPropertiesDialog: the modeless "Shape properties" window (template 211). It shows the
// properties of the shapes it is given in the property grid, through one automation object per
// shape (the shapes' own coclass when they share a type, else the generic shape), and writes an
// edited value to every object, with OnEndEditShape as the host's veto and the rows that depend
// on the value read again afterwards.
#include <windows.h>
#include <oaidl.h>
#include <string>
#include <vector>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "control/PropertiesDialog.h"
#include "ui/propertygrid/PropertyGrid.h"
#include "ui/propertygrid/PropertyRow.h"

class CShape;

class CPropertiesDialog : public ycom::DialogWindow, public CPropertiesDialogHost
{
public:
    // The window's size limits while the user drags its border, in pixels.
    static constexpr int kMinWidth = 220;
    static constexpr int kMaxWidth = 880;
    static constexpr int kMinHeight = 100;
    static constexpr int kMaxHeight = 800;

    explicit CPropertiesDialog(CYVEXControl* control);
    ~CPropertiesDialog() override;

    bool ShowShapes(CGroup* shapes) override;
    // The shapes of these IDs (ShowShapes' body).
    bool ShowShapeIds(const std::vector<LONG>& ids);
    HWND CreateWindowFor(HWND owner) override;
    HWND GetWindow() const override { return IsWindow() ? m_hWnd : nullptr; }
    void ReleaseObjects() override;
    void SetTextEditor(const char* command) override { m_textEditor = command ? command : ""; }
    void SetDefaultDecimals(int decimals) override { m_defaultDecimals = decimals; }

    CPropertyGrid& GetGrid() { return m_grid; }
    CPropertyRowList& GetRows() { return m_rows; }
    int GetObjectCount() const { return static_cast<int>(m_objects.size()); }

    BEGIN_MSG_MAP(CPropertiesDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        MESSAGE_HANDLER(WM_DRAWITEM, HandleDrawItem)
        MESSAGE_HANDLER(WM_CLOSE, HandleClose)
        MESSAGE_HANDLER(PGM_APPLYPROPERTY, HandleApplyProperty)
        MESSAGE_HANDLER(PGM_GETTEXTEDITOR, HandleGetTextEditor)
        MESSAGE_HANDLER(PGM_GETSINGLESHAPEID, HandleGetSingleShapeId)
        MESSAGE_HANDLER(PGM_GETCONTROL, HandleGetControl)
        MESSAGE_HANDLER(PGM_REFRESHPROPERTY, HandleRefreshProperty)
        MESSAGE_HANDLER(WM_SIZE, HandleSize)
        MESSAGE_HANDLER(WM_SIZING, HandleSizing)
        MESSAGE_HANDLER(PGM_RESOLVECOLOR, HandleResolveColor)
        MESSAGE_HANDLER(PGM_GETTEXTCOLOR, HandleGetTextColor)
        MESSAGE_HANDLER(PGM_SETPENCOLOR, HandleSetPenColor)
    END_MSG_MAP()

private:
    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleClose(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleApplyProperty(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleGetTextEditor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleGetSingleShapeId(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleGetControl(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleRefreshProperty(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSizing(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleResolveColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleGetTextColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSetPenColor(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    RECT GridRect() const;
    void AddAllRows();
    // Writes the row's value to every object and reads it back; false when a put failed.
    bool PutRow(CPropertyRow* row);
    // The value of the row's property from all objects (empty where they differ), its text anew.
    void RefreshRow(DISPID dispid);
    void RefreshDependents(DISPID applied);
    LONG ShapeTypeValue() const;
    // The shapes still alive of the IDs shown.
    std::vector<CShape*> LiveShapes() const;

    CYVEXControl* m_control;
    std::string m_textEditor;
    std::vector<LONG> m_shapeIds;
    int m_defaultDecimals = 2;
    CPropertyGrid m_grid;
    CPropertyRowList m_rows;
    std::vector<IDispatch*> m_objects;
    RECT m_savedRect = {};
};
