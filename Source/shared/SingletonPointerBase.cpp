#include "Source/shared/SingletonPointerBase.h"

SingletonPointerBase::~SingletonPointerBase() = default;
