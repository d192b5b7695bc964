#include "Source/SingletonPointerBase.h"

SingletonPointerBase::~SingletonPointerBase() = default;
