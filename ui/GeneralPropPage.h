#pragma once
// The GeneralPropPage class (GeneralPropPage Class): the control's own property page, which a
// container's property frame shows for the control (template 323). In one place it edits the
// site's draft limits and unit, the current view port, the current drawing setting's grid, snap,
// pen and image values, and two of the control's switches. It loads only when the frame hands it
// exactly one object that is a control of this module.
#include <memory>
#include "com/ComObject.h"
#include "com/MessageMap.h"
#include "com/PropertyPage.h"
#include "YVEX_h.h"

class CYVEXControl;
class CColorPopupMenu;

class CGeneralPropPage : public ycom::ObjectRoot, public ycom::PropertyPageImpl
{
public:
    DECLARE_CLASS_ID(CLSID_GeneralPropPage)
    BEGIN_INTERFACE_MAP(CGeneralPropPage)
        INTERFACE_ENTRY(IPropertyPage)
    END_INTERFACE_MAP()

    CGeneralPropPage();
    ~CGeneralPropPage() override;

    // The three apply steps, in the order Apply runs them: 0 when the step took its values, 1
    // when it reported an error (its valid values stay applied).
    int ApplySite();
    int ApplyViewport();
    int ApplyDrawingSetting();
    // The name the pen colour list shows for a colour.
    static std::string ColourName(DWORD colour);
    CYVEXControl* GetControl() const { return m_control; }
    bool IsLoaded() const { return m_loaded; }

    BEGIN_MSG_MAP(CGeneralPropPage)
        COMMAND_ID_CODE_HANDLER(IDC_PEN_COLOUR, CBN_DROPDOWN, HandleColourDropDown)
        MESSAGE_HANDLER(WM_COMMAND, HandleChange)
        MESSAGE_HANDLER(WM_DRAWITEM, HandleDrawItem)
        MESSAGE_HANDLER(WM_MEASUREITEM, HandleMeasureItem)
    END_MSG_MAP()

protected:
    void OnActivated() override;
    void OnDeactivating() override;
    HRESULT OnApply() override;

private:
    static constexpr int IDC_PEN_COLOUR = 214;

    LRESULT HandleColourDropDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDrawItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleMeasureItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    void Load();
    float ReadNumber(int id) const;
    void WriteNumber(int id, double value);
    bool IsChecked(int id) const;
    void Check(int id, bool on);
    // A warning in a message box, the focus on the offending field.
    void Refuse(UINT message, int focus);
    DWORD PenColour() const;

    ycom::ComPtr<IUnknown> m_controlRef;
    CYVEXControl* m_control = nullptr;
    bool m_loaded = false;
    std::unique_ptr<CColorPopupMenu> m_popup;
};
