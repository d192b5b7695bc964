#pragma once

#include "ticppapi.h"

#include <vector>

namespace ticpp
{
class Base;

// The reference record of one parser object (node or attribute) that the
// layer has wrapped or created. The parser's user-data pointer leads from the
// object to its record. The count holds one reference per bound wrapper plus
// the object's own, which its owner drops when it destroys the object.
class TiCppRCImp
{
public:
    // The record of object, made (with the object's own reference) on first use.
    static TiCppRCImp* Of(TiXmlBase* object);

    void IncRef();
    // At zero the object, if still there, is destroyed; then the record goes.
    // A new object held only by wrappers that it spawned itself is destroyed
    // too: those wrappers belong to the object and cannot keep it alive.
    void DecRef();
    void InitRef();
    void Nullify();
    bool IsNull() const { return m_object == nullptr; }
    TiXmlBase* Get() const { return m_object; }

    // Registers a wrapper that the object owns (destroyed with the object).
    void Spawn(Base* wrapper);

    // Applies the owner's destruction to every object beneath node (children
    // and attributes, deepest first), before the parser destroys them.
    static void ReleaseBeneath(TiXmlNode* node);
    // The same for node itself and everything beneath it.
    static void ReleaseSubtree(TiXmlNode* node);
    // Destroys the spawned wrappers of every object beneath node; the objects
    // and their records stay.
    static void DropSpawnedBeneath(TiXmlNode* node);
    // The parser's copies carry the original's user data along; a copy is a
    // new object without a record.
    static void ForgetRecords(TiXmlNode* node);
    // The owner's destruction of one object: its spawned wrappers go, newest
    // first, then the record forgets the object and drops its own reference.
    static void Release(TiXmlBase* object);

private:
    explicit TiCppRCImp(TiXmlBase* object);
    ~TiCppRCImp() = default;

    void DestroySpawned();
    void DestroyObject();

    int m_count;
    TiXmlBase* m_object;
    std::vector<Base*> m_spawned;
    bool m_releasing = false;
};
}
