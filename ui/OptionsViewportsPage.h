#pragma once
// CViewportsPage: the View ports page of the Options sheet (template 250). It lists the control's
// view ports (the current one first) with their rectangles, renames one in place (its name only:
// a coordinate that were shown edited but not applied would mislead), deletes one, makes one
// current and copies one through CCopyViewportDialog. Each change asks the host first
// (OnEditViewport, OnDeleteViewport, OnSetCurrentViewport) and is taken back when it refuses.
//
// CCopyViewportDialog (template 267) copies a view port's view onto another (which keeps its
// name, OnCopyViewport) or onto a new one named in its edit (OnAddViewport); a refused copy is
// taken back and the dialog stays.
#include <memory>
#include <string>
#include <vector>
#include "ui/ListPageBase.h"

class CViewportsPage : public CListPageBase
{
public:
    // Sent to the page: wParam kRefreshRow (the row of view port lParam shows it again) or
    // kAppendRow (a row for the new view port lParam).
    static constexpr UINT kViewportChanged = WM_USER + 100;
    enum { kRefreshRow = 1, kAppendRow = 2 };

    CViewportsPage() : CListPageBase(IDD_PAGE) {}

    // The copy and delete buttons follow at once.
    void EnableEditing(bool enable) override;

    BEGIN_MSG_MAP(CViewportsPage)
        MESSAGE_HANDLER(kViewportChanged, HandleViewportChanged)
        NOTIFY_ID_CODE_HANDLER(IDC_LIST, LVN_BEGINLABELEDITA, HandleBeginNameEdit)
        COMMAND_ID_CODE_HANDLER(IDC_DELETE, BN_CLICKED, HandleDelete)
        COMMAND_ID_CODE_HANDLER(IDC_SET_CURRENT, BN_CLICKED, HandleSetCurrent)
        COMMAND_ID_CODE_HANDLER(IDC_COPY, BN_CLICKED, HandleCopy)
        CHAIN_MSG_MAP(CListPageBase)
    END_MSG_MAP()

protected:
    enum { IDD_PAGE = 250, IDC_SET_CURRENT = 261, IDC_COPY = 284, IDC_DELETE = 260 };

    // Explicit template for the copy dialog, which shares the list handling.
    explicit CViewportsPage(UINT templateId) : CListPageBase(templateId) {}

    void FillList() override;
    void OnEndCellEdit(int row, int column, const char* text) override;
    // Every view port of the control but those excluded, in the control's order.
    void FillRows(const std::vector<int>& excluded);
    int AppendRow(int viewportId);
    void ShowRow(int row);
    int FindRow(int viewportId) const;
    int SelectedRow() const;
    int ViewportIdOf(int row) const;
    int RowCount() const;

    LRESULT HandleViewportChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleBeginNameEdit(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDelete(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSetCurrent(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCopy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    std::vector<std::unique_ptr<CListRowData>> m_rows;
    int m_decimals = 2;
    // The row of the current view port, -2 when none is listed.
    int m_currentRow = -2;
};

class CCopyViewportDialog : public CViewportsPage
{
public:
    explicit CCopyViewportDialog(int sourceId = 1) : CViewportsPage(IDD_COPY), m_sourceId(sourceId) {}

    // Runs the dialog over `owner` for the control: IDOK (the result ID is the destination) or
    // IDCANCEL.
    int Run(CYVEXControl* control, HWND owner);
    int GetResultId() const { return m_resultId; }
    const std::string& GetNewName() const { return m_newName; }

    BEGIN_MSG_MAP(CCopyViewportDialog)
        COMMAND_ID_CODE_HANDLER(IDC_TO_NEW, BN_CLICKED, HandleToNew)
        COMMAND_ID_CODE_HANDLER(IDC_NAME, EN_UPDATE, HandleNameUpdate)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleOk)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
        MESSAGE_HANDLER(WM_CLOSE, HandleCancel)
        CHAIN_MSG_MAP(CViewportsPage)
    END_MSG_MAP()

protected:
    enum { IDD_COPY = 267, IDC_TO_NEW = 283, IDC_NAME = 204 };

    BOOL OnInitPage() override;
    void FillList() override;

private:
    LRESULT HandleToNew(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleNameUpdate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    // The list for choosing an existing view port, or the edit for a new one.
    void ChooseNew(bool toNew);
    bool CopyToNew();
    bool CopyOntoSelected();
    // The View ports page of the open sheet, told of a change.
    void TellPage(WPARAM change, int viewportId) const;

    int m_sourceId;
    int m_resultId = -1;
    std::string m_newName;
};
