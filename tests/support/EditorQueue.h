#pragma once

// What the plug-in has queued for its editor, taken as the editor's idle
// call would take it.

#include "Source/Zentrova.h"
#include "editor/ZentrovaEditor.h"

#include <vector>

// The instance's editor: the only one an instance is ever given.
inline ZentrovaEditor* editorOf(Zentrova& plugin)
{
    return static_cast<ZentrovaEditor*>(plugin.getEditor());
}

inline std::vector<ParameterIndexAndValue> editorQueueItems(Zentrova& plugin)
{
    std::vector<ParameterIndexAndValue> items;
    auto& queue = editorOf(plugin)->parameterQueue();
    queue.beginRead();
    for (ParameterIndexAndValue item = queue.pop(); !item.isEmpty(); item = queue.pop())
        items.push_back(item);
    return items;
}
