// The play pieces, declared ahead with their pointer aliases, so that the pieces' headers and
// the level's need not include one another.
#pragma once

#include <memory>

#include "sprites/fwd.h"

class Ball;
class Brick;
class BrickBox;
class Difficulty;
class GameStat;
class Nain;
class Paddle;
class Powerup;
class Projectile;
class Weapon;
struct AwardTargets;
// The level's own, declared here because a difficulty, below it, names the level it adjusts.
class Level;

using BallPtr = std::shared_ptr<Ball>;
using BrickPtr = std::shared_ptr<Brick>;
using BrickBoxPtr = std::shared_ptr<BrickBox>;
using DifficultyPtr = std::shared_ptr<Difficulty>;
using GameStatPtr = std::shared_ptr<GameStat>;
using LevelPtr = std::shared_ptr<Level>;
using NainPtr = std::shared_ptr<Nain>;
using NainWeak = std::weak_ptr<Nain>;
using PaddlePtr = std::shared_ptr<Paddle>;
using PowerupPtr = std::shared_ptr<Powerup>;
using ProjectilePtr = std::shared_ptr<Projectile>;
using WeaponPtr = std::shared_ptr<Weapon>;
