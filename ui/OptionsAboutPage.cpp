#include "ui/OptionsAboutPage.h"
#include "com/Module.h"
#include "control/ModuleVersion.h"
#include "ui/resource.h"
#include <cstdio>
#include <string>
#include <vector>

COptionsAboutPage::COptionsAboutPage() : COptionsPage(IDD_OPTIONS_ABOUT) {}

std::string COptionsAboutPage::VersionLine(const char* path)
{
    int minor = 0, build = 0, revision = 0;
    char privateBuild[31] = "";
    char copyright[101] = "";
    const int major = ReadModuleVersionInfo(path, &minor, &build, &revision, privateBuild,
                                            static_cast<int>(sizeof privateBuild), copyright, static_cast<int>(sizeof copyright));
    char format[256] = "YVEX Control v.%d.%d.%d (build %s)\n%s";
    ycom::LoadResourceString(IDS_VERSION_LINE, format, static_cast<int>(sizeof format));
    std::vector<char> line(sizeof format + sizeof privateBuild + sizeof copyright + 64);
    std::snprintf(line.data(), line.size(), format, major, minor, build, privateBuild, copyright);
    return line.data();
}

void COptionsAboutPage::ShowAddress()
{
    char address[1001] = "";
    ycom::LoadResourceString(IDS_TIFF_ADDRESS, address, static_cast<int>(sizeof address));
    SetWindowTextA(m_address, address);
}

BOOL COptionsAboutPage::OnInitPage()
{
    m_version = GetItem(IDC_ABOUT_VERSION);
    m_address = GetItem(IDC_ABOUT_ADDRESS);
    if (!m_control)
        return TRUE;
    ShowAddress();
    SetWindowTextA(m_version, VersionLine(nullptr).c_str());
    HANDLE logo = LoadImageA(ycom::TheModule().ResourceInstance(), MAKEINTRESOURCEA(IDB_ABOUT_LOGO), IMAGE_BITMAP, 0, 0,
                             LR_SHARED | LR_LOADTRANSPARENT);
    if (logo)
        SendMessageA(GetItem(IDC_ABOUT_LOGO), STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo));
    SetFocus(m_version);
    return FALSE;
}

LRESULT COptionsAboutPage::HandleShowWindow(UINT, WPARAM, LPARAM, BOOL& handled)
{
    if (m_address)
        ShowAddress();
    handled = FALSE;
    return 0;
}

LRESULT COptionsAboutPage::HandleCommand(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
