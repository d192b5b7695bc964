#include "Source/entry/ZentrovaEdit.h"

#include "editor/ZentrovaEditor.h"

ZentrovaEdit::ZentrovaEdit(audioMasterCallback audioMaster, const Flavour& flavour) : Zentrova(audioMaster, flavour)
{
    ZentrovaEditor* editor = new ZentrovaEditor(this);
    setEditor(editor);
    setEditorPort(editor);
    setConfigurationClientActive(true);
}

ZentrovaEdit::~ZentrovaEdit()
{
    // Before anything goes: a program change being made calls into the
    // whole object, the editor too.
    stopMidiProgramChanges();
    setConfigurationClientActive(false);
    if (AEffEditor* editor = getEditor())
        editor->close();
}
