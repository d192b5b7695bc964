#pragma once

// The XML document layer is built on the distribution's TinyXML, which is
// compiled with its standard-library string option.
#ifndef TIXML_USE_STL
#define TIXML_USE_STL
#endif
#include <tinyxml.h>
