#include "Source/editorport/EditorPort.h"

EditorPort::~EditorPort() = default;
