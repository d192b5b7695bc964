#include "Source/effects/EchoBase.h"

EchoBase::~EchoBase() = default;
