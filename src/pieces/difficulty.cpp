// A difficulty level's tuning factors (ball speed, paddle size, nain temper, game speed,
// point values) and its extra powerup tables, which the level loader applies.
#include "pieces/difficulty.h"

#include "core/arrays.h"
#include "core/globals.h"
#include "sprites/random.h"
#include "text/parser.h"

int Difficulty::LoadFromXML(const std::string& xml) {
    return Guarded("difficulty:Difficulty.LoadFromXML() ", 0, [&] {
        SetStringFromXML(name, xml, "name");
        SetFloatFromXML(dBallStartSpeed, xml, "dBallStartSpeed");
        SetFloatFromXML(dBallMaxSpeed, xml, "dBallMaxSpeed");
        SetFloatFromXML(dPaddleSize, xml, "dPaddleSize");
        SetFloatFromXML(dNainFreq, xml, "dNainFreq");
        SetFloatFromXML(dNainAggression, xml, "dNainAggression");
        SetIntFromXML(dNainBounces, xml, "dNainBounces");
        SetFloatFromXML(dGameSpeed, xml, "dGameSpeed");
        SetFloatFromXML(dPointValues, xml, "dPointValues");
        extraBrickPowerups = std::make_shared<Random>();
        extraNainPowerups = std::make_shared<Random>();
        extraBrickPowerups->LoadFromXML(ExtractTagFromXML(xml, "extraBrickPowerups", 0));
        extraNainPowerups->LoadFromXML(ExtractTagFromXML(xml, "extraNainPowerups", 0));
        return 0;
    });
}

int Difficulty::AdjustLevelForDifficulty(const LevelPtr&) {
    return Guarded("difficulty:Difficulty.AdjustLevelForDifficulty() ", 0, [&] { return 0; });
}

std::vector<DifficultyPtr> AppendNewDifficulty(const std::vector<DifficultyPtr>& difficulties) {
    return AppendNew("difficulty:AppendNewDifficulty() ", difficulties);
}
