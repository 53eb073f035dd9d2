#include "MasterPickResult.h"

namespace PickSlots {

namespace {
MasterPickResult g_result;
int g_mailTarget = NoTarget;
}  // namespace

MasterPickResult& result()
{
    return g_result;
}

void clear()
{
    g_result = MasterPickResult();
}

int mailTarget()
{
    return g_mailTarget;
}

void setMailTarget(int target)
{
    g_mailTarget = (target >= NoTarget && target <= Bcc) ? target : NoTarget;
}

}  // namespace PickSlots
