#pragma once
// Resource numbers of the class library test's own dialog.
#define IDD_TEST_CHECK 100
#define IDC_TEST_CHECK 1001
