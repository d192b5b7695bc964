#pragma once

#include "Source/Zentrova.h"

// The plug-in object the entry point creates: the main object plus its
// editor.
class ZentrovaEdit : public Zentrova
{
public:
    ZentrovaEdit(audioMasterCallback audioMaster, const Flavour& flavour);
    ~ZentrovaEdit() override;
};
