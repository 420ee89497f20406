// The play pieces and the names they refer to, declared ahead with their pointer aliases, so
// that the pieces' headers and the level's need not include one another.
#pragma once

#include <memory>

class Ball;
class Brick;
class BrickBox;
class Difficulty;
class GameStat;
class Level;
class Nain;
class Paddle;
class Powerup;
class Projectile;
class Sound;
class Sprite;
class Weapon;

using BallPtr = std::shared_ptr<Ball>;
using BrickPtr = std::shared_ptr<Brick>;
using BrickBoxPtr = std::shared_ptr<BrickBox>;
using DifficultyPtr = std::shared_ptr<Difficulty>;
using GameStatPtr = std::shared_ptr<GameStat>;
using LevelPtr = std::shared_ptr<Level>;
using NainPtr = std::shared_ptr<Nain>;
using PaddlePtr = std::shared_ptr<Paddle>;
using PowerupPtr = std::shared_ptr<Powerup>;
using ProjectilePtr = std::shared_ptr<Projectile>;
using SoundPtr = std::shared_ptr<Sound>;
using SpritePtr = std::shared_ptr<Sprite>;
using WeaponPtr = std::shared_ptr<Weapon>;
