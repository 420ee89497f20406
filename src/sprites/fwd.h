// The sprites and what they are made of, declared ahead with their pointer aliases, so that the
// headers of the sprites and of the pieces need not include one another. Sprite itself and its
// SpritePtr come with the media's declarations.
#pragma once

#include <memory>

#include "media/fwd.h"

class Animation;
class AnimationStep;
class ImageText;
class ParticleSource;
class ParticleSprites;
class Random;
class Shifter;
class ShifterData;

using AnimationPtr = std::shared_ptr<Animation>;
using AnimationStepPtr = std::shared_ptr<AnimationStep>;
using ImageTextPtr = std::shared_ptr<ImageText>;
using ParticleSourcePtr = std::shared_ptr<ParticleSource>;
using ParticleSpritesPtr = std::shared_ptr<ParticleSprites>;
using RandomPtr = std::shared_ptr<Random>;
using ShifterPtr = std::shared_ptr<Shifter>;
using ShifterDataPtr = std::shared_ptr<ShifterData>;
using SpriteWeak = std::weak_ptr<Sprite>;
