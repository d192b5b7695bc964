#include "TiCppRCImp.h"

#include "ticpp.h"

namespace ticpp
{
TiCppRCImp::TiCppRCImp(TiXmlBase* object) : m_count(1), m_object(object)
{
    object->SetUserData(this);
}

TiCppRCImp* TiCppRCImp::Of(TiXmlBase* object)
{
    if (auto* record = static_cast<TiCppRCImp*>(object->GetUserData()))
        return record;
    return new TiCppRCImp(object);
}

void TiCppRCImp::IncRef()
{
    ++m_count;
}

void TiCppRCImp::InitRef()
{
    m_count = 1;
}

void TiCppRCImp::Nullify()
{
    if (m_object != nullptr)
        m_object->SetUserData(nullptr);
    m_object = nullptr;
}

void TiCppRCImp::Spawn(Base* wrapper)
{
    m_spawned.push_back(wrapper);
}

void TiCppRCImp::DecRef()
{
    --m_count;
    if (m_releasing)
        return;
    if (m_object != nullptr && m_count <= static_cast<int>(m_spawned.size()))
    {
        DestroyObject();
        return;
    }
    if (m_count <= 0 && m_object == nullptr)
        delete this;
}

void TiCppRCImp::DestroySpawned()
{
    m_releasing = true;
    while (!m_spawned.empty())
    {
        Base* newest = m_spawned.back();
        m_spawned.pop_back();
        delete newest;
    }
    m_releasing = false;
}

void TiCppRCImp::DestroyObject()
{
    TiXmlBase* object = m_object;
    if (auto* node = dynamic_cast<TiXmlNode*>(object))
        ReleaseBeneath(node);
    DestroySpawned();
    Nullify();
    delete object;
    if (m_count <= 0)
        delete this;
}

void TiCppRCImp::Release(TiXmlBase* object)
{
    auto* record = static_cast<TiCppRCImp*>(object->GetUserData());
    if (record == nullptr)
        return;
    record->DestroySpawned();
    record->Nullify();
    record->DecRef();
}

void TiCppRCImp::ReleaseBeneath(TiXmlNode* node)
{
    for (TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling())
        ReleaseSubtree(child);
    if (TiXmlElement* element = node->ToElement())
        for (TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
            Release(a);
}

void TiCppRCImp::ReleaseSubtree(TiXmlNode* node)
{
    ReleaseBeneath(node);
    Release(node);
}

void TiCppRCImp::DropSpawnedBeneath(TiXmlNode* node)
{
    auto drop = [](TiXmlBase* object) {
        if (auto* record = static_cast<TiCppRCImp*>(object->GetUserData()))
            record->DestroySpawned();
    };
    for (TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling())
    {
        DropSpawnedBeneath(child);
        drop(child);
    }
    if (TiXmlElement* element = node->ToElement())
        for (TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
            drop(a);
}

void TiCppRCImp::ForgetRecords(TiXmlNode* node)
{
    node->SetUserData(nullptr);
    for (TiXmlNode* child = node->FirstChild(); child != nullptr; child = child->NextSibling())
        ForgetRecords(child);
    if (TiXmlElement* element = node->ToElement())
        for (TiXmlAttribute* a = element->FirstAttribute(); a != nullptr; a = a->Next())
            a->SetUserData(nullptr);
}
}
