#pragma once
// What the dialogs fill their lists and fields from: the members of a type-library enum, the
// font families of the screen, and the number of decimals a value is shown with.
#include <windows.h>
#include <oaidl.h>
#include <string>
#include <vector>

// Appends the members of the enum `enumName` of the type library that the object's type
// information belongs to, in the enum's order: the n-th value with the n-th name. E_INVALIDARG
// for a missing argument, TYPE_E_ELEMENTNOTFOUND when the library has no such enum.
HRESULT GetTypeLibEnumMembers(IDispatch* object, const char* enumName, std::vector<long>* values,
                              std::vector<std::string>* names);

// Adds every font family of the combo box's screen context that it does not list yet. With a
// name, the list loses its sorting and that name goes first. The first entry is selected.
void FillFontNameCombo(HWND combo, const char* name);

// The decimals to show for a number: 0 for anything but VT_R4 and VT_R8 and for 0; `decimals`
// less one per factor 10 from 10 up (not below 0); `decimals` more one per factor 10 below 1.
int GetDisplayDecimals(const VARIANT& value, int decimals = 2);
