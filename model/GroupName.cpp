// Interim name setter until the group's naming rules arrive with the group operations.
#include "model/Group.h"
#include "YVEX_h.h"

void CGroup::SetName(const wchar_t* name)
{
    m_name = name ? name : L"";
    m_blockName.clear();
    if (m_shapeType != stGroup || m_id <= DEFAULT_IMAGE_ID || m_name.empty())
        return;
    const int n = WideCharToMultiByte(CP_ACP, 0, m_name.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (n > 1) {
        m_blockName.resize(static_cast<size_t>(n - 1));
        WideCharToMultiByte(CP_ACP, 0, m_name.c_str(), -1, &m_blockName[0], n, nullptr, nullptr);
    }
}
