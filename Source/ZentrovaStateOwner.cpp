#include "Source/ZentrovaStateOwner.h"

ZentrovaStateOwner::~ZentrovaStateOwner() = default;
