#include "toolkit/CBaseObject.h"

void CBaseObject::release()
{
    if (--m_referenceCount == 0)
        delete this;
}

std::int32_t CBaseObject::notify(CBaseObject*, const char*)
{
    return 0;
}
