#include "Source/tempo/TempoAndSyncOwner.h"

TempoAndSyncOwner::~TempoAndSyncOwner() = default;
