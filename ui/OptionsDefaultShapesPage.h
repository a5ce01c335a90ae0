#pragma once
// COptionsDefaultShapesPage: the Default Shapes page of the Options sheet (template 301). For each
// kind of shape with a default shape it shows whether new shapes of the kind copy the default
// (Apply switches them), draws one new shape of the kind from its default (Insert), or opens the
// default shape itself for editing (Edit). Insert and Edit close the sheet first.
//
// Insert switches the kind's default on for the one shape it draws. The state it had is kept by
// the sheet, not by the page: closing the sheet destroys the page, and the sheet gives the state
// back when it next shows.
#include <vector>
#include "ui/OptionsPage.h"
#include "ui/resource.h"

class COptionsDefaultShapesPage : public COptionsPage
{
public:
    COptionsDefaultShapesPage();

    void EnableEditing(bool enable) override;

    // The default shape (a child of the DefaultShapes group) of a ShapeTypes kind, 0 for none.
    static int DefaultShapeIdOf(int kind);

    BEGIN_MSG_MAP(COptionsDefaultShapesPage)
        COMMAND_ID_CODE_HANDLER(IDC_INSERT, BN_CLICKED, HandleInsert)
        COMMAND_ID_CODE_HANDLER(IDC_EDIT, BN_CLICKED, HandleEdit)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;
    LONG OnApply() override;

private:
    enum { IDC_LIST = IDC_PAGE_LIST, IDC_INSERT = IDC_DEFAULT_SHAPES_INSERT, IDC_EDIT = IDC_DEFAULT_SHAPES_EDIT };

    LRESULT HandleInsert(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    bool IsDrawingEditable() const;
    // The kind of the selected row, -1 when no row is selected.
    int SelectedKind() const;
    // Closes the sheet as its OK button does and hands the focus to the control.
    void CloseSheet();

    HWND m_list = nullptr;
};
