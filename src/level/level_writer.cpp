// Writing a level back to its file (the editor's save) and the pack's list of levels: finding
// a level by name and growing the list.
#include "core/arrays.h"
#include "core/globals.h"
#include "core/io.h"
#include "core/lookup.h"
#include "level/goal.h"
#include "level/level.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/difficulty.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "text/parser.h"

namespace {

// A "difficulty" element that the level loader reads back to the same entry.
std::string DifficultyToXML(const Difficulty& d) {
    std::string data = GetXMLfromData("name", d.name, 0);
    data += GetXMLfromData("dBallStartSpeed", FloatToText(d.dBallStartSpeed), 0);
    data += GetXMLfromData("dBallMaxSpeed", FloatToText(d.dBallMaxSpeed), 0);
    data += GetXMLfromData("dPaddleSize", FloatToText(d.dPaddleSize), 0);
    data += GetXMLfromData("dNainFreq", FloatToText(d.dNainFreq), 0);
    data += GetXMLfromData("dNainAggression", FloatToText(d.dNainAggression), 0);
    data += GetXMLfromData("dNainBounces", IntToText(d.dNainBounces), 0);
    data += GetXMLfromData("dGameSpeed", FloatToText(d.dGameSpeed), 0);
    data += GetXMLfromData("dPointValues", FloatToText(d.dPointValues), 0);
    if (d.extraBrickPowerups && !d.extraBrickPowerups->action.empty())
        data += d.extraBrickPowerups->WriteToXML("extraBrickPowerups");
    if (d.extraNainPowerups && !d.extraNainPowerups->action.empty())
        data += d.extraNainPowerups->WriteToXML("extraNainPowerups");
    return GetXMLfromData("difficulty", data, 1);
}

}  // namespace

std::string Level::WriteToXML() {
    return Guarded("level:Level.WriteToXML() ", std::string(), [&] {
        // A level read from a file saves its balls, paddle, goals and nains as the file gave
        // them: the live ones carry the chosen difficulty and the wear of play, which would
        // build up with every save. The bricks are what the editor changes, so they are live.
        const bool fromFile = !loadedPaddleXML.empty();

        std::string data = GetXMLfromData("levelName", name, 0);
        for (size_t i = 0, n = bricksArray.size(); i < n; ++i) {
            const BrickPtr& brick = bricksArray[i];
            if (brick && brick->isLive != 0) data += brick->WriteToXML(1);
        }
        if (fromFile) {
            data += loadedBallsXML;
            data += loadedPaddleXML;
            data += loadedGoalsXML;
            data += loadedNainsXML;
        } else {
            for (size_t i = 0, n = ballsArray.size(); i < n; ++i) {
                const BallPtr& ball = ballsArray[i];
                if (ball && ball->isLive != 0) data += ball->WriteToXML();
            }
            data += Deref(playerPaddle).WriteToXML();
            for (size_t i = 0, n = goalsArray.size(); i < n; ++i) data += Deref(goalsArray[i]).WriteToXML();
            for (size_t i = 0, n = sourceNainsArray.size(); i < n; ++i) data += Deref(sourceNainsArray[i]).WriteToXML();
        }
        for (size_t i = 0, n = difficultyArray.size(); i < n; ++i) {
            if (difficultyArray[i]) data += DifficultyToXML(*difficultyArray[i]);
        }
        data += GetXMLfromData("background", backgroundImageName, 0);
        data += GetXMLfromData("music", music, 0);
        return GetXMLfromData("level", data, 1);
    });
}

int Level::SaveToFile() {
    return Guarded("level:Level.SaveToFile() ", 0, [&] {
        ThrowError(1, "Writing file: " + nameOfFile);
        Print("Writing file: " + nameOfFile);
        const std::string text = WriteToXML();
        // An empty text means the writer failed: the level file is left as it was.
        const int result = text.empty() ? -1 : WriteStringToFile(text, nameOfFile, 1);
        if (result != 1) ThrowError(-1, "Tried to save level file to: \n" + nameOfFile);
        return 0;
    });
}

LevelPtr GetLevelByName(const std::string& name, const std::vector<LevelPtr>& levels) {
    return GetByName("level:GetLevelByName() ", levels, &Level::name, name, "level");
}

std::vector<LevelPtr> AppendNewLevel(const std::vector<LevelPtr>& levels) {
    return AppendNew("level:Level.AppendNewLevel() ", levels);
}
