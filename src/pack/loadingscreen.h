// The pack loading screen: one frame with the loading picture, "LOADING" and a caption.
#pragma once

#include <functional>
#include <string>

#include "platform/image.h"

// The shown text for a localised key; the universe supplies it.
using TextLookup = std::function<std::string(const std::string&)>;

// Draws and shows one frame; message and "LOADING" are localised keys, shown as localize gives
// them. Always 0.
int DrawLoadingScreen(const std::string& message, const TImagePtr& image, int red, int green, int blue,
                      const TextLookup& localize);
