#pragma once

#include "dsp/LibraryLifetime.h"

#include <new>
#include <utility>

// A process-wide object that lasts as long as the library needs it: made in
// place (when the library loads, at namespace scope; at its first use, in a
// function) and destroyed only when the library is released (see
// LibraryLifetime), never by an exit handler while an instance may still
// use it. It needs no destruction itself.
template <class T>
class Lasting
{
public:
    template <class... Args>
    explicit Lasting(Args&&... args)
    {
        new (m_storage) T(std::forward<Args>(args)...);
        LibraryLifetime::atRelease(&Lasting::destroy, this);
    }

    Lasting(const Lasting&) = delete;
    Lasting& operator=(const Lasting&) = delete;

    T* get() { return std::launder(reinterpret_cast<T*>(m_storage)); }
    const T* get() const { return std::launder(reinterpret_cast<const T*>(m_storage)); }
    T& operator*() { return *get(); }
    const T& operator*() const { return *get(); }
    T* operator->() { return get(); }
    const T* operator->() const { return get(); }

private:
    static void destroy(void* self) { static_cast<Lasting*>(self)->get()->~T(); }

    alignas(T) unsigned char m_storage[sizeof(T)];
};
