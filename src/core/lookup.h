// Finding a named object in one of the game's arrays: the one loop behind every GetXByName
// function. It lives beside the error table because most misses are reported through it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/debuglog.h"
#include "core/errors.h"
#include "platform/runtime.h"

// What a look-up does with an empty slot: passes over it, or raises like any null access (the
// handler then logs that and the look-up yields null).
enum class EmptySlot { Skip, Raise };

// The first object whose field equals name exactly (case counts), or null. A failure is
// logged under label. On a miss, a non-null missingKind is reported under code -14 as
// "Could not find <missingKind> named "<name>"."; a null one passes the miss over in silence.
template <class T>
std::shared_ptr<T> GetByName(const char* label, const std::vector<std::shared_ptr<T>>& items, std::string T::*field,
                             const std::string& name, const char* missingKind, EmptySlot empty = EmptySlot::Skip) {
    return Guarded(label, std::shared_ptr<T>(), [&]() -> std::shared_ptr<T> {
        for (const std::shared_ptr<T>& item : items) {
            if (!item && empty == EmptySlot::Skip) continue;
            if (Deref(item).*field == name) return item;
        }
        if (missingKind) ThrowError(-14, "Could not find " + std::string(missingKind) + " named \"" + name + "\".");
        return nullptr;
    });
}
