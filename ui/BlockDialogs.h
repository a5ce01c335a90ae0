#pragma once
// The small dialogs of blocks: the question the Blocks page asks before a block with references
// goes (CDeleteBlockDialog), the choice of a block by name (CBlockNameDialog) and the name of a new
// block (CCreateBlockDialog) that the control's block commands ask for. Each runs modally over the
// window it is given; DoModal answers the ID of the button that ended it.
#include <set>
#include <string>
#include "com/MessageMap.h"
#include "com/Window.h"
#include "ui/resource.h"

// "Deleting block...": IDC_DELETE_BLOCK_AND_REFERENCES, IDC_DELETE_ONLY_REFERENCES or IDCANCEL.
class CDeleteBlockDialog : public ycom::DialogWindow
{
public:
    explicit CDeleteBlockDialog(std::string blockName) : m_blockName(std::move(blockName)) {}
    INT_PTR DoModal(HWND parent);

    BEGIN_MSG_MAP(CDeleteBlockDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        COMMAND_CODE_HANDLER(BN_CLICKED, HandleButton)
    END_MSG_MAP()

private:
    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleButton(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    std::string m_blockName;
};

// What the two name dialogs share: the name, taken from one of their controls on OK (an empty
// one keeps the dialog open), and Cancel.
class CNameDialog : public ycom::DialogWindow
{
public:
    const std::string& GetName() const { return m_name; }

    BEGIN_MSG_MAP(CNameDialog)
        COMMAND_ID_CODE_HANDLER(IDOK, BN_CLICKED, HandleOk)
        COMMAND_ID_CODE_HANDLER(IDCANCEL, BN_CLICKED, HandleCancel)
    END_MSG_MAP()

protected:
    CNameDialog(int nameItem, std::string name) : m_nameItem(nameItem), m_name(std::move(name)) {}

    int m_nameItem;
    std::string m_name;

private:
    LRESULT HandleOk(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleCancel(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
};

// The block-name chooser: one of a set of names under the caller's caption. With no names it
// ends at once with IDCANCEL; OK with nothing chosen keeps it open.
class CBlockNameDialog : public CNameDialog
{
public:
    CBlockNameDialog(std::string caption, const std::set<std::string>* names)
        : CNameDialog(IDC_BLOCK_NAME_LIST, std::string()), m_caption(std::move(caption)), m_names(names)
    {
    }
    INT_PTR DoModal(HWND parent);

    BEGIN_MSG_MAP(CBlockNameDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        CHAIN_MSG_MAP(CNameDialog)
    END_MSG_MAP()

private:
    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);

    std::string m_caption;
    const std::set<std::string>* m_names;
};

// "Create block": the proposed name in, the user's name out. What the user types is kept to the
// characters a block name may hold as it is typed; an empty name cannot be confirmed.
class CCreateBlockDialog : public CNameDialog
{
public:
    explicit CCreateBlockDialog(std::string name) : CNameDialog(IDC_CREATE_BLOCK_NAME, std::move(name)) {}
    INT_PTR DoModal(HWND parent);

    BEGIN_MSG_MAP(CCreateBlockDialog)
        MESSAGE_HANDLER(WM_INITDIALOG, HandleInitDialog)
        COMMAND_ID_CODE_HANDLER(IDC_CREATE_BLOCK_NAME, EN_UPDATE, HandleUpdate)
        CHAIN_MSG_MAP(CNameDialog)
    END_MSG_MAP()

private:
    LRESULT HandleInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT HandleUpdate(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
};

// The block commands' questions through these dialogs (see control/BlockNamePrompts.h).
void RegisterBlockNamePrompts();
