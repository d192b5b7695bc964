#pragma once

#include "Source/shared/SingletonPointerBase.h"

// Holds the one instance of a process-wide object; the holder's release
// deletes it.
template <typename T>
class SingletonPointer : public SingletonPointerBase
{
public:
    ~SingletonPointer() override = default;

    T* get() const { return m_pointer; }
    void set(T* pointer) { m_pointer = pointer; }

    void release() override
    {
        delete m_pointer;
        m_pointer = nullptr;
    }

protected:
    T* m_pointer = nullptr;
};
