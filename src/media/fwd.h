// The media classes, declared ahead with their pointer aliases, so that the headers above them
// name a picture or a sound without including its header.
#pragma once

#include <memory>

class BigImage;
class Image;
class ImageFragment;
class MenuButton;
class Mixer;
class Sound;
// The sprites' own, declared here because the mixer, below them, remembers which sprite each
// sound came from.
class Sprite;

using BigImagePtr = std::shared_ptr<BigImage>;
using ImagePtr = std::shared_ptr<Image>;
using ImageFragmentPtr = std::shared_ptr<ImageFragment>;
using MenuButtonPtr = std::shared_ptr<MenuButton>;
using MixerPtr = std::shared_ptr<Mixer>;
using SoundPtr = std::shared_ptr<Sound>;
using SpritePtr = std::shared_ptr<Sprite>;
