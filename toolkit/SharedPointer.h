#pragma once

#include <utility>

// Holds one reference of a toolkit object and gives it up when it goes.
template <typename T>
class SharedPointer
{
public:
    SharedPointer() = default;
    // Takes a new reference of object.
    explicit SharedPointer(T* object) : m_object(object)
    {
        if (m_object)
            m_object->retain();
    }
    SharedPointer(const SharedPointer& other) : SharedPointer(other.m_object) {}
    SharedPointer(SharedPointer&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    ~SharedPointer()
    {
        if (m_object)
            m_object->release();
    }

    SharedPointer& operator=(const SharedPointer& other)
    {
        reset(other.m_object);
        return *this;
    }
    SharedPointer& operator=(SharedPointer&& other) noexcept
    {
        if (this != &other)
        {
            T* old = std::exchange(m_object, std::exchange(other.m_object, nullptr));
            if (old)
                old->release();
        }
        return *this;
    }

    // Takes over the creator's reference of a freshly made object.
    static SharedPointer adopt(T* object)
    {
        SharedPointer pointer;
        pointer.m_object = object;
        return pointer;
    }

    // Retains the new object before it releases the old one, so resetting
    // to the object already held cannot free it.
    void reset(T* object = nullptr)
    {
        if (object)
            object->retain();
        T* old = std::exchange(m_object, object);
        if (old)
            old->release();
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
