#pragma once
// The templates the dialog tests add to the control's own: a dialog around an owner-drawn list
// (with the list pages' buttons), and the same as a property page.
#define IDD_TEST_CELLS 900
#define IDD_TEST_LIST_PAGE 901
