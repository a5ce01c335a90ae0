#pragma once
// COptionsImagesPage: the Images page of the Options sheet (template 259) and, run by DoModal, the
// control's image chooser over the same template. It lists the drawing's image resources (and,
// with database access on, the pictures of the imageResources table the drawing lacks), previews
// the selected one, loads pictures from files, saves one to a file, deletes resources from the
// drawing, saves them to and deletes them from the table, starts placing an image of one and turns
// a metafile picture into a block.
//
// The list is the owner-drawn cell list. Each row's item data is a row record the page owns whose
// key is the row's CImageResource (one of the drawing's map, or of the page's own catalogue map of
// pictures known only from the database); a resource without a decoded picture shows on grey, one
// the database does not hold in the special text colour. Each database action connects, works and
// disconnects.
#include <memory>
#include <string>
#include <vector>
#include "ui/CellListView.h"
#include "ui/ImagePreview.h"
#include "ui/OptionsPage.h"
#include "ui/resource.h"

class CImageResource;
class CImageResourceMap;

class COptionsImagesPage : public COptionsPage
{
public:
    COptionsImagesPage();
    ~COptionsImagesPage() override;

    // The chooser: the template run modally over `parent` (the control's window when null) for the
    // control; 1 for OK (the chosen resource, width, height and "Insert block reference" then
    // read from the page), 2 for Cancel. The page is a page again afterwards and its catalogue is
    // emptied.
    INT_PTR DoModal(CYVEXControl* control, HWND parent);
    bool IsModal() const { return m_modal; }
    // The chooser's result: the chosen resource's ID in the drawing's map (0: none), the width and
    // height asked for (0: not given), whether a block reference is to be inserted.
    int GetChosenId() const { return m_chosenId; }
    void SetChosenId(int id) { m_chosenId = id; }
    float GetRequestedWidth() const { return m_width; }
    float GetRequestedHeight() const { return m_height; }
    bool GetInsertBlockReference() const { return m_insertBlock; }
    void SetInsertBlockReference(bool on) { m_insertBlock = on; }
    CImageResourceMap& GetCatalogue() { return *m_catalogue; }
    CImagePreview& GetPreview() { return m_preview; }

    // The sheet's switch, and the buttons the drawing's editability decides.
    void EnableEditing(bool enable) override;

    // Loads picture files as "&Load from File" does once the files are chosen: each one a resource
    // (or the row of the equal one present) selected; the first failure is reported and ends the
    // loop. The count of files loaded.
    int LoadFiles(const std::vector<std::wstring>& paths);
    // The resource of a row (null for none).
    CImageResource* RowResource(int row) const;
    CCellListView& GetList() { return m_listView; }
    // The looks of a resource's row: kGreyRow without a decoded picture, kSpecialText without a
    // database ID.
    static DWORD RowFlags(const CImageResource* resource);

    // What a number edit keeps of a text: its digits and the first decimal separator, at most 18
    // characters; the selection [*start, *end) moves with the characters dropped before it.
    static std::string FilterNumber(const std::string& text, char separator, int* start, int* end);
    // The save dialog's filter list for a resource format (pairs of texts, double-NUL ended), the
    // filter of the format itself into *index (1-based).
    static std::string SaveFilters(int format, int* index);
    // The format a chosen save filter stands for (0: the file name decides).
    static int FormatOfSaveFilter(int resourceFormat, int filterIndex);

    BEGIN_MSG_MAP(COptionsImagesPage)
        NOTIFY_ID_CODE_HANDLER(IDC_PAGE_LIST, LVN_ITEMCHANGED, HandleItemChanged)
        NOTIFY_ID_CODE_HANDLER(IDC_PAGE_LIST, LVN_DELETEITEM, HandleDeleteItem)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_DRAW, BN_CLICKED, HandleDraw)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_LOAD, BN_CLICKED, HandleLoad)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_SAVE_FILE, BN_CLICKED, HandleSaveFile)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_DELETE_DB, BN_CLICKED, HandleDeleteFromDb)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_SAVE_DB, BN_CLICKED, HandleSaveToDb)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_DB, BN_CLICKED, HandleDatabaseSwitch)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_DELETE, BN_CLICKED, HandleDelete)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_WIDTH, EN_CHANGE, HandleNumberChange)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_HEIGHT, EN_CHANGE, HandleNumberChange)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleOk)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_PARSE, BN_CLICKED, HandleParseMetafile)
        COMMAND_ID_CODE_HANDLER(IDC_IMAGES_INSERT_BLOCK, BN_CLICKED, HandleInsertBlock)
        MESSAGE_HANDLER(WM_DESTROY, HandleDestroy)
        MESSAGE_HANDLER(WM_ACTIVATE, HandleActivate)
        CHAIN_MSG_MAP(COptionsPage)
    END_MSG_MAP()

protected:
    BOOL OnInitPage() override;
    void OnSetActive() override;

private:
    LRESULT HandleItemChanged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDeleteItem(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDraw(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleLoad(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSaveFile(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDeleteFromDb(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleSaveToDb(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDatabaseSwitch(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDelete(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleNumberChange(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleOk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleParseMetafile(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleInsertBlock(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleDestroy(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleActivate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    bool IsDrawingEditable() const;
    bool HasDataSource() const;
    void Show(int id, bool show) const;
    void Enable(int id, bool enable) const;
    void FillList();
    int AddImageRow(CImageResource* resource, bool select);
    // The row's record keys the resource and takes its looks; the row is drawn again.
    void SetRowResource(int row, CImageResource* resource);
    // Rows for the catalogue's pictures the drawing's map lacks; false when it could not be read.
    bool AppendCatalogueRows();
    // The selected rows, or the selection-mark row when none is; their resources, taken before any
    // row goes.
    std::vector<CImageResource*> ChosenResources(bool markWhenNone) const;
    int RowOf(const CImageResource* resource) const;
    void UpdateForRow(int row, bool focused);
    // The row's looks again from its resource (whether its picture is loaded, whether stored).
    void RefreshRowLook(int row);
    // Reads a picture listed from the table (connect, LoadContent, disconnect).
    void ReadStoredPicture(int row, CImageResource* resource);
    // A catalogue picture read into the drawing's map (the drawing's resource, null on failure);
    // its row then keys the drawing's resource.
    CImageResource* BringIntoDrawing(CImageResource* resource);
    float ReadNumber(int id) const;
    void SelectOnly(int row);
    // The control's last error text, or "Unknown error.".
    std::string LastErrorText() const;

    bool m_modal = false;
    bool m_initialised = false;
    // The list window, bound to m_listView; the rows' records, which the rows' item data point to.
    HWND m_list = nullptr;
    CCellListView m_listView;
    std::vector<std::unique_ptr<CListRowData>> m_records;
    CImagePreview m_preview;
    std::unique_ptr<CImageResourceMap> m_catalogue;
    float m_width = 0.0f;
    float m_height = 0.0f;
    char m_separator = '.';
    bool m_insertBlock = false;
    int m_chosenId = 0;
    bool m_filled = false;
};

// Makes the control's image drawing ask through this chooser (the module calls it once).
void RegisterImageChooser();
