// A difficulty level's tuning factors (ball speed, paddle size, nain temper, game speed,
// point values) and its extra powerup tables, which the level loader applies.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "pieces/fwd.h"

class Difficulty {
public:
    std::string name;
    float dBallStartSpeed = 1.0f;
    float dBallMaxSpeed = 1.0f;
    float dPaddleSize = 1.0f;
    float dNainFreq = 1.0f;
    float dNainAggression = 1.0f;
    int dNainBounces = 0;
    float dGameSpeed = 1.0f;
    float dPointValues = 1.0f;
    RandomPtr extraBrickPowerups;
    RandomPtr extraNainPowerups;

    int LoadFromXML(const std::string& xml);
    // The level loader does the adjusting; kept for the content's hook.
    int AdjustLevelForDifficulty(const LevelPtr& level);
};

// A copy of the array with a new difficulty at the end.
std::vector<DifficultyPtr> AppendNewDifficulty(const std::vector<DifficultyPtr>& difficulties);
