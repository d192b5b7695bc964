#include "Source/EchoBase.h"

EchoBase::~EchoBase() = default;
