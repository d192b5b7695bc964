#pragma once

// Common base of the holders of process-wide singletons; each holder
// releases its own singleton.
class SingletonPointerBase
{
public:
    virtual ~SingletonPointerBase();
    virtual void release() = 0;
};
