// Everything the game uses of its platform layer.
#pragma once

#include "platform/audio.h"
#include "platform/files.h"
#include "platform/font.h"
#include "platform/graphics.h"
#include "platform/image.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "platform/stream.h"
