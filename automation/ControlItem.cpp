#include "automation/ControlItem.h"
#include "control/YVEXControl.h"

void CControlItem::Attach(CYVEXControl* control, int id)
{
    m_controlRef.Reset();
    m_control = control;
    m_itemId = control ? id : 0;
    if (control)
        m_controlRef = static_cast<IYVEXControl*>(control);
}
