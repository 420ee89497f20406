// Content packs, declared ahead with their pointer aliases, with everything a pack holds.
#pragma once

#include <memory>

#include "level/fwd.h"

class Pack;
class PackInfo;

using PackPtr = std::shared_ptr<Pack>;
using PackInfoPtr = std::shared_ptr<PackInfo>;
