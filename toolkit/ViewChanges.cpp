#include "toolkit/ViewChanges.h"

std::atomic<std::uint64_t> ViewChanges::s_count{0};
