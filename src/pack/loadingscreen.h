// The pack loading screen: one frame with the loading picture, "LOADING" and a caption.
#pragma once

#include <string>

#include "platform/image.h"

// Draws and shows one frame; message and "LOADING" are localised keys. Always 0.
int DrawLoadingScreen(const std::string& message, const TImagePtr& image, int red, int green, int blue);
