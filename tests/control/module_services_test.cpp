// Module-wide services of the control: the shared printer set-up handles and the short-text
// conversions between the ANSI code page and UTF-16.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "control/ErrorInfo.h"
#include "control/SharedPrintSetup.h"

namespace {

UINT LockCount(HGLOBAL h) { return GlobalFlags(h) & GMEM_LOCKCOUNT; }

} // namespace

TEST(SharedPrintSetup, StoredHandlesStayLockedOnceAndAreFreedWhenReplaced)
{
    HGLOBAL mode = GlobalAlloc(GMEM_MOVEABLE, 64);
    HGLOBAL other = GlobalAlloc(GMEM_MOVEABLE, 64);
    SetSharedDevMode(mode, TRUE);
    EXPECT_EQ(GetSharedDevMode(), mode);
    EXPECT_EQ(LockCount(mode), 1u);

    // The same handle again with the free flag: kept, and locked once more.
    SetSharedDevMode(mode, TRUE);
    EXPECT_EQ(GetSharedDevMode(), mode);
    EXPECT_EQ(LockCount(mode), 2u);

    // Another handle frees the old one however often it was locked.
    GlobalLock(mode);
    SetSharedDevMode(other, TRUE);
    EXPECT_EQ(GetSharedDevMode(), other);
    EXPECT_EQ(GlobalFlags(mode), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "the old handle is gone";

    // Without the free flag the old handle is only forgotten.
    HGLOBAL third = GlobalAlloc(GMEM_MOVEABLE, 64);
    SetSharedDevMode(third, FALSE);
    EXPECT_EQ(LockCount(other), 1u);
    GlobalUnlock(other);
    GlobalFree(other);

    // As at unload: nothing stored any more, the stored handle freed.
    SetSharedDevMode(nullptr, TRUE);
    EXPECT_EQ(GetSharedDevMode(), nullptr);
    EXPECT_EQ(GlobalFlags(third), static_cast<UINT>(GMEM_INVALID_HANDLE));

    HGLOBAL names = GlobalAlloc(GMEM_MOVEABLE, 32);
    SetSharedDevNames(names, TRUE);
    EXPECT_EQ(GetSharedDevNames(), names);
    EXPECT_EQ(GetSharedDevMode(), nullptr) << "the two handles are kept apart";
    SetSharedDevNames(nullptr, TRUE);
    EXPECT_EQ(GetSharedDevNames(), nullptr);
}

TEST(TextConversion, ShortTextsRoundTripAndOverlongOnesComeBackEmpty)
{
    EXPECT_STREQ(AnsiToWide("Layer 0"), L"Layer 0");
    EXPECT_STREQ(WideToAnsi(L"Block-1"), "Block-1");
    EXPECT_STREQ(AnsiToWide(nullptr), L"");
    EXPECT_STREQ(WideToAnsi(nullptr), "");

    // Each direction has one buffer, overwritten by the next call.
    const wchar_t* first = AnsiToWide("first");
    AnsiToWide("second");
    EXPECT_STREQ(first, L"second");

    // A text as long as the buffer (no room for the terminator) is refused whole.
    const std::string fits(kConversionBufferChars - 1, 'x');
    const std::string tooLong(kConversionBufferChars, 'x');
    EXPECT_EQ(wcslen(AnsiToWide(fits.c_str())), fits.size());
    EXPECT_STREQ(AnsiToWide(tooLong.c_str()), L"");
    const std::wstring wideTooLong(kConversionBufferChars, L'y');
    EXPECT_STREQ(WideToAnsi(wideTooLong.c_str()), "");
}

TEST(ErrorInfo, ReportSetsSourceDescriptionAndClass)
{
    const GUID clsid = {0x89f57bc8, 0x2171, 0x44bb, {0x85, 0xad, 0xf6, 0x86, 0x78, 0x78, 0xd6, 0x7f}};
    EXPECT_EQ(ReportComErrorW(clsid, L"Shape not found."), DISP_E_EXCEPTION);
    IErrorInfo* info = nullptr;
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    BSTR source = nullptr, text = nullptr;
    GUID guid = GUID_NULL;
    info->GetSource(&source);
    info->GetDescription(&text);
    info->GetGUID(&guid);
    EXPECT_STREQ(source, L"YVEXControl");
    EXPECT_STREQ(text, L"Shape not found.");
    EXPECT_TRUE(guid == clsid);
    SysFreeString(source);
    SysFreeString(text);
    info->Release();
    EXPECT_EQ(ReportComErrorText(clsid, "Index out of range"), DISP_E_EXCEPTION);
    ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
    info->GetDescription(&text);
    EXPECT_STREQ(text, L"Index out of range");
    SysFreeString(text);
    info->Release();
}
