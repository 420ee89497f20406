// Fetching ahead for the loops that update many sprites in turn (the particle pool, the bricks).
#pragma once

#include <cstddef>

#include "sprites/animation.h"
#include "sprites/sprites.h"

namespace spritefetch {

inline void Lines(const void* at, int lines) {
    const char* p = static_cast<const char*>(at);
    for (int i = 0; i < lines; ++i) __builtin_prefetch(p + 64 * i);
}

// The running animation's place in its sprite's list, or null.
inline const AnimationPtr* RunningSlot(const Sprite& sprite) {
    const size_t a = static_cast<size_t>(sprite.currentAnimation);
    return a < sprite.animationArray.size() ? sprite.animationArray.data() + a : nullptr;
}

}  // namespace spritefetch

// Each link of the chain a sprite's update reads (the sprite, its list of animations, the
// running animation, its current step) is asked for one place nearer than the link before
// it, so that each has arrived by the time the next is read from it, and the fetches overlap
// the updates in between instead of each waiting on the last. `spriteAt(j)` gives the j-th
// sprite of the loop or null; the loop itself reaches `first` no later than its next turn.
// Only reads: any sprite, in any state, may be passed, and what it asks for changes nothing.
template <class SpriteAt>
inline void PrefetchSpritesAhead(size_t first, size_t count, const SpriteAt& spriteAt) {
    using namespace spritefetch;
    if (first + 3 < count) {
        if (const Sprite* s = spriteAt(first + 3)) Lines(s, 4);
    }
    if (first + 2 < count) {
        if (const Sprite* s = spriteAt(first + 2)) {
            if (const AnimationPtr* slot = RunningSlot(*s)) Lines(slot, 1);
        }
    }
    if (first + 1 < count) {
        if (const Sprite* s = spriteAt(first + 1)) {
            if (const AnimationPtr* slot = RunningSlot(*s)) {
                if (const Animation* animation = slot->get()) Lines(animation, 2);
            }
        }
    }
    if (first < count) {
        if (const Sprite* s = spriteAt(first)) {
            if (const AnimationPtr* slot = RunningSlot(*s)) {
                if (const Animation* animation = slot->get()) {
                    if (const AnimationStep* step = animation->StepAtHandOrNull()) Lines(step, 1);
                }
            }
        }
    }
}
