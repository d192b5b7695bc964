#include "toolkit/BaseTypes.h"

const char* const kMsgCheckIfViewContainer = "kMsgCheckIfViewContainer";
const char* const kMsgNewFocusView = "kMsgNewFocusView";
const char* const kMsgOldFocusView = "kMsgOldFocusView";
const char* const kMsgLooseFocus = "LooseFocus";
