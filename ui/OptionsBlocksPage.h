#pragma once
// COptionsBlocksPage: the Blocks page of the Options sheet (template 298). It lists the blocks of
// the drawing (the named groups of the block library) and inserts a reference to the selected one,
// opens it for editing (both close the sheet first), or deletes it with its references or its
// references alone. With included sites a second column names the site each block came from, and
// the column headers sort the list.
#include <string>
#include <vector>
#include "ui/OptionsPage.h"
#include "ui/resource.h"

class CGroup;
class CShape;

class COptionsBlocksPage : public COptionsPage
{
public:
    COptionsBlocksPage();

    // The sheet's switch: the buttons for no block.
    void EnableEditing(bool enable) override { EnableEditing(enable, 0); }
    // Edit follows whether a block is given; Insert and Delete also what the block and the drawing
    // allow.
    void EnableEditing(bool enable, int blockId);

    BEGIN_MSG_MAP(COptionsBlocksPage)
        COMMAND_ID_CODE_HANDLER(IDC_BLOCKS_INSERT, BN_CLICKED, HandleInsert)
        COMMAND_ID_CODE_HANDLER(IDC_BLOCKS_EDIT, BN_CLICKED, HandleEdit)
        COMMAND_ID_CODE_HANDLER(IDC_BLOCKS_DELETE, BN_CLICKED, HandleDelete)
        NOTIFY_ID_CODE_HANDLER(IDC_PAGE_LIST, LVN_ITEMCHANGED, HandleItemChanged)
        NOTIFY_ID_CODE_HANDLER(IDC_PAGE_LIST, LVN_COLUMNCLICK, HandleColumnClick)
        MESSAGE_HANDLER(WM_SHOWWINDOW, HandleShowWindow)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;

private:
    LRESULT HandleInsert(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDelete(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleItemChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleColumnClick(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleShowWindow(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    static int CALLBACK CompareBlocks(LPARAM first, LPARAM second, LPARAM page);

    bool IsDrawingEditable() const;
    bool HasIncludedSites() const;
    // The name of the site that holds a shape: an included site's, else the drawing's own.
    std::string SiteNameOf(const CShape* shape) const;
    // A shape's place among the modules: its included site's index, the drawing's own site after
    // the last.
    size_t SitePositionOf(const CShape* shape) const;
    // The block of the selected row (null when there is none or it is gone), and its row.
    CGroup* SelectedBlock(int* row = nullptr) const;
    void CloseSheet();
    // Deletes the references (by ID) in one go through the selection; those left standing.
    int DeleteReferences(const std::vector<int>& references);

    HWND m_list = nullptr;
    int m_sortColumn = 0;
    bool m_ascending = true;
};
