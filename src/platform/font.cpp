// Placeholder until the font layer lands.
#include "platform/font.h"

TImageFontPtr BuiltinFont() { return nullptr; }
