#include "Source/ZentrovaEdit.h"

#include "editor/ZentrovaEditor.h"

ZentrovaEdit::ZentrovaEdit(audioMasterCallback audioMaster, const Flavour& flavour) : Zentrova(audioMaster, flavour)
{
    ZentrovaEditor* editor = new ZentrovaEditor(this);
    setEditor(editor);
    getKeyboardHandler().setEditor(editor);
    setConfigurationClientActive(true);
}

ZentrovaEdit::~ZentrovaEdit()
{
    setConfigurationClientActive(false);
    if (ZentrovaEditor* editor = getZentrovaEditor())
        editor->close();
}
