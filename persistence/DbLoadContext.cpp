#include "persistence/DbLoadContext.h"
#include "persistence/DbLoadTarget.h"

void CDbLoadContext::SetRowsDone(int n)
{
    rowsDone = n;
    if (rowsTotal <= 0)
        return;
    const long long percent = static_cast<long long>(n) * 100 / rowsTotal;
    const int value = static_cast<int>(static_cast<double>(percent * progressWidth / 100) + progressStart);
    if (value != lastPercent)
        SetPercent(value);
}

void CDbLoadContext::SetPercent(int value)
{
    if (value == lastPercent)
        return;
    if (target)
        target->SendProgress(value);
    lastPercent = value;
}
