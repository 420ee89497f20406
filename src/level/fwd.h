// The level's goals and the pack templates it is read from, declared ahead with their pointer
// aliases; Level and LevelPtr come with the pieces' declarations.
#pragma once

#include <memory>

#include "pieces/fwd.h"

class Goal;
struct LevelSources;

using GoalPtr = std::shared_ptr<Goal>;
