// Reading a level: the pack's list entries (name and file only) and the whole level file with
// its pieces, its bricks over the pack's templates, grid, shield and the chosen difficulty.
#include <climits>
#include <cmath>
#include <cstdint>

#include "core/globals.h"
#include "core/io.h"
#include "core/numeric.h"
#include "level/goal.h"
#include "level/level.h"
#include "media/largeimage.h"
#include "pieces/ball.h"
#include "pieces/brick.h"
#include "pieces/brickbox.h"
#include "pieces/difficulty.h"
#include "pieces/gamestats.h"
#include "pieces/nain.h"
#include "pieces/paddle.h"
#include "pieces/powerups.h"
#include "pieces/projectile.h"
#include "pieces/weapon.h"
#include "platform/files.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "sprites/random.h"
#include "sprites/sprites.h"
#include "text/parser.h"

namespace {

// The last element of an array that was just grown by one.
template <class T>
T& Last(std::vector<std::shared_ptr<T>>& array) {
    return Deref(At(array, array.size() - 1));
}

// A table for one holder alone, so that what is appended to it reaches nobody else.
RandomPtr OwnCopy(const RandomPtr& table) {
    return table ? std::make_shared<Random>(*table) : std::make_shared<Random>();
}

// A level brick shares its powerup table, and each of its next forms shares theirs, with the
// pack's templates. The level appends difficulty extras to these tables and empties them when
// it is unlinked; with copies of their own the templates stay as the pack read them.
void GiveOwnPowerupTables(Brick& brick, const RandomPtr& templateTable) {
    WalkForms(brick, [&](Brick& form) {
        // The brick's own table, read from the level file, is its own already.
        if (&form == &brick && form.powerupGenerated && form.powerupGenerated != templateTable) return;
        form.powerupGenerated = OwnCopy(form.powerupGenerated);
    });
}

// The rule for isStuck differs between a level's own difficulty and the pack's.
enum class DifficultyRule { Level, Pack };

void ApplyDifficulty(Level& level, const Difficulty& d, DifficultyRule rule, GameStat& stat) {
    for (size_t i = 0, n = level.newBallsSourceArray.size(); i < n; ++i) {
        Ball& ball = Deref(At(level.newBallsSourceArray, i));
        Sprite& sprite = Deref(ball.ballSprite);
        sprite.vel = sprite.vel * d.dBallStartSpeed;
        sprite.maxVel = sprite.maxVel * d.dBallMaxSpeed;
        // The marker of a free ball is no offset: scaled, it would stick the ball to the paddle.
        if (ball.isStuck != kBallNotStuck) {
            const double scaled = std::floor(static_cast<double>(ball.isStuck) * static_cast<double>(d.dPaddleSize));
            ball.isStuck = rule == DifficultyRule::Level ? TruncToInt(scaled) : TruncToInt(scaled / 2.0);
        }
        if (rule == DifficultyRule::Pack) ThrowError(1, "   New ball isStuck: " + IntToText(ball.isStuck));
    }

    Sprite& paddleSprite = Deref(Deref(level.playerPaddleSource).paddleSprite);
    paddleSprite.xScale = paddleSprite.xScale * d.dPaddleSize;

    for (size_t i = 0, n = level.sourceNainsArray.size(); i < n; ++i) {
        Nain& nain = Deref(At(level.sourceNainsArray, i));
        nain.aggression = TruncToInt(std::ceil(static_cast<double>(nain.aggression) * d.dNainAggression));
        nain.frequency = TruncToInt(std::ceil(static_cast<double>(nain.frequency) * d.dNainFreq));
        nain.maxBounces = TruncToInt(static_cast<double>(static_cast<int64_t>(nain.maxBounces) + d.dNainBounces));
    }

    stat.difficultyPointModifier = d.dPointValues;
    g_gameSpeedDifficultyAdjust = d.dGameSpeed;
}

// The extra choices of the applied difficulties that have a table of that kind, in their order,
// as one table; null when none has one.
RandomPtr JoinedExtras(const std::vector<const Difficulty*>& applied, RandomPtr Difficulty::*kind) {
    RandomPtr joined;
    for (const Difficulty* d : applied) {
        const Random* extra = (d->*kind).get();
        if (!extra) continue;
        if (!joined) joined = std::make_shared<Random>();
        joined->action.insert(joined->action.end(), extra->action.begin(), extra->action.end());
        joined->rootValue.insert(joined->rootValue.end(), extra->rootValue.begin(), extra->rootValue.end());
        joined->value.resize(joined->action.size(), 0.0f);
    }
    return joined;
}

// Every nain's and brick's powerup table gains the extra choices of each applied difficulty in
// turn. Each piece has a table of its own, so one append of all of them leaves the table as an
// append per difficulty would, with its thresholds worked out once instead of once per
// difficulty.
void AppendExtraPowerups(Level& level, const std::vector<const Difficulty*>& applied) {
    if (const RandomPtr extras = JoinedExtras(applied, &Difficulty::extraNainPowerups)) {
        for (size_t i = 0, n = level.sourceNainsArray.size(); i < n; ++i) {
            Nain& nain = Deref(At(level.sourceNainsArray, i));
            if (!nain.powerupGenerated) nain.powerupGenerated = std::make_shared<Random>();
            nain.powerupGenerated->Append(extras);
        }
    }
    if (const RandomPtr extras = JoinedExtras(applied, &Difficulty::extraBrickPowerups)) {
        for (size_t i = 0, n = level.bricksArray.size(); i < n; ++i) {
            Brick& brick = Deref(At(level.bricksArray, i));
            if (!brick.powerupGenerated) brick.powerupGenerated = std::make_shared<Random>();
            brick.powerupGenerated->Append(extras);
        }
    }
}

// Level entries of the chosen name first; the pack's only when the level has none.
void ApplyChosenDifficulty(Level& level, const std::vector<DifficultyPtr>& packDifficulties, GameStat& stat) {
    const std::string chosen = stat.difficulty;
    const std::string key = FoldToLowerCase(chosen);
    ThrowError(1, "Checking for level difficluty level: \"" + chosen + "\"");

    std::vector<const Difficulty*> applied;
    for (size_t i = 0, n = level.difficultyArray.size(); i < n; ++i) {
        const DifficultyPtr d = At(level.difficultyArray, i);
        if (!d || FoldToLowerCase(d->name) != key) continue;
        ThrowError(1, "Setting level difficulty level: \"" + d->name + "\"");
        ApplyDifficulty(level, *d, DifficultyRule::Level, stat);
        applied.push_back(d.get());
    }
    if (!applied.empty()) {
        AppendExtraPowerups(level, applied);
        return;
    }

    ThrowError(1, "No difficulty set: checking for pack difficluty level \"" + chosen + "\"");
    for (size_t i = 0, n = packDifficulties.size(); i < n; ++i) {
        const DifficultyPtr d = packDifficulties[i];
        if (!d || FoldToLowerCase(d->name) != key) continue;
        ThrowError(1, "Setting pack difficulty level: \"" + d->name + "\"");
        ApplyDifficulty(level, *d, DifficultyRule::Pack, stat);
        applied.push_back(d.get());
    }
    AppendExtraPowerups(level, applied);
}

std::string CountNote(const std::string& what, size_t index, size_t length) {
    return "   Loading " + what + " data from XML...(" + IntToText(static_cast<int>(index)) + " of " +
           IntToText(static_cast<int>(length)) + ")";
}

// A new piece at the end of the array for each element of the tag, as many as CountTagsInXML
// counts (a count past the list's end reads an empty element, as ExtractTagFromXML would),
// each noted with the array's length and then filled by read from its element.
template <class T, class Read>
void AppendFromElements(std::vector<std::shared_ptr<T>>& array, const std::string& xml, const std::string& tag,
                        Read read) {
    const int count = CountTagsInXML(xml, tag);
    const std::vector<std::string> elements = ExtractListFromXML(xml, tag);
    for (int i = 0; i < count; ++i) {
        ThrowError(1, CountNote(tag, static_cast<size_t>(i), array.size()));
        array.push_back(std::make_shared<T>());
        read(Last(array), ListEntry(elements, i));
    }
}

// A copy of each of the pack's templates, at the end of the level's array.
template <class T>
void AppendClones(std::vector<std::shared_ptr<T>>& array, const std::vector<std::shared_ptr<T>>& templates) {
    for (const std::shared_ptr<T>& source : templates) {
        array.push_back(std::make_shared<T>());
        Last(array).Clone(source);
    }
}

}  // namespace

int Level::LoadFromFile(const LevelSources& sources, const std::string& path, const GameStatPtr& stat) {
    return Guarded("level:Level.LoadFromFile() ", 0, [&] {
        ThrowError(1, "reading file: " + nameOfFile);
        // A file that cannot be read is reported there and loads as an empty level.
        const std::string text = ReadFileToString(nameOfFile, 0);
        LoadFromXML(text, sources, 0, path, stat);
        // So does one cut short or garbled, which holds no whole level: reported with its path
        // like a file that cannot be read, else only the faults it leads to would name anything.
        if (FileType(nameOfFile) == 1 && ExtractTagFromXML(text, "level", 0).empty()) ThrowError(-13, nameOfFile);
        return 0;
    });
}

int Level::LoadFromXML(const std::string& xml, const LevelSources& sources, int headerOnly, const std::string& path,
                       const GameStatPtr& stat) {
    return Guarded("level:Level.LoadFromXML() ", 0, [&] {
        if (headerOnly == 1) {
            SetStringFromXML(name, xml, "levelName");
            nameOfFile = GetDataFromXML(xml, "fileName");
            return 0;
        }

        g_paddlePositionModifier = 1.0f;
        Unlink();
        updateCounter = 0;

        SetStringFromXML(name, xml, "levelName");
        SetStringFromXML(music, xml, "music");
        ThrowError(1, "Loading level data from XML: " + name);

        ReadPaddle(xml, sources);
        ReadPieces(xml, sources);
        ReadBricks(xml, sources);
        CopyTemplates(sources);
        ReadBackground(xml, path);
        MakeShield();
        levelStartTTL = 25.0f;

        g_gameSpeedDifficultyAdjust = 1.0f;
        GameStat& record = Deref(stat);
        record.difficultyPointModifier = 1.0f;
        ApplyChosenDifficulty(*this, sources.difficulties, record);

        ThrowError(1, "Finished Loading Level!");
        return 0;
    });
}

void Level::ReadPaddle(const std::string& xml, const LevelSources& sources) {
    playerPaddle = std::make_shared<Paddle>();
    playerPaddle->LoadFromXML(ExtractTagFromXML(xml, "paddle", 0), sources.sprites, 0);
    playerPaddleSource = std::make_shared<Paddle>();
    playerPaddleSource->Clone(playerPaddle);
    loadedPaddleXML = playerPaddle->WriteToXML();
}

void Level::ReadPieces(const std::string& xml, const LevelSources& sources) {
    goalsArray.clear();
    loadedGoalsXML.clear();
    AppendFromElements(goalsArray, xml, "goal", [&](Goal& goal, const std::string& element) {
        goal.LoadFromXML(element);
        loadedGoalsXML += goal.WriteToXML();
    });

    // Each ball element gives a ball for play and its source for the balls to come.
    ballsArray.clear();
    newBallsSourceArray.clear();
    ballXML.clear();
    loadedBallsXML.clear();
    AppendFromElements(newBallsSourceArray, xml, "ball", [&](Ball& source, const std::string& element) {
        ballsArray.push_back(std::make_shared<Ball>());
        ballXML += element;
        Ball& ball = Last(ballsArray);
        ball.LoadFromXML(element, sources.sprites, 0);
        source.LoadFromXML(element, sources.sprites, 0);
        loadedBallsXML += ball.WriteToXML();
    });

    sourceNainsArray.clear();
    loadedNainsXML.clear();
    AppendFromElements(sourceNainsArray, xml, "nain", [&](Nain& nain, const std::string& element) {
        nain.LoadFromXML(element, sources.sprites, 0);
        loadedNainsXML += nain.WriteToXML();
    });

    difficultyArray.clear();
    AppendFromElements(difficultyArray, xml, "difficulty",
                       [](Difficulty& difficulty, const std::string& element) { difficulty.LoadFromXML(element); });
}

void Level::ReadBricks(const std::string& xml, const LevelSources& sources) {
    for (BrickPtr& brick : bricksArray) {
        if (brick) brick->Unlink();
        brick = nullptr;
    }
    bricksArray.clear();
    mustClearBrickCount = 0;
    // A level read twice must not keep the bound of its first reading.
    brickMinX = 999999.0f;
    brickMinY = 999999.0f;
    brickMaxX = 0.0f;
    brickMaxY = 0.0f;
    for (const std::string& element : ExtractListFromXML(xml, "brick")) {
        auto brick = std::make_shared<Brick>();
        brick->LoadFromXML(element, 1);
        // The lookup reports a name the pack lacks. Such a brick would have no body and
        // still count as one to clear, so the level could never be won: it is left out.
        const BrickPtr source = GetBrickByName(brick->name, sources.bricks);
        if (!source) {
            brick->Unlink();
            continue;
        }
        bricksArray.push_back(brick);
        brick->Clone(source);
        brick->LoadFromXML(element, 0);
        GiveOwnPowerupTables(*brick, source->powerupGenerated);

        Sprite& sprite = Deref(brick->brickSprite);
        const float right = sprite.GetRightEdge(0.0f);
        const float bottom = sprite.GetBottomEdge(0.0f);
        if (!(brickMinX <= sprite.x)) brickMinX = sprite.x;
        if (!(brickMaxX >= right)) brickMaxX = right;
        if (!(brickMinY <= sprite.y)) brickMinY = sprite.y;
        if (!(brickMaxY >= bottom)) brickMaxY = bottom;
        if (brick->mustClear == 1) ++mustClearBrickCount;
    }
    ThrowError(1, "Collision Bound: " + FloatToText(brickMinX) + "," + FloatToText(brickMinY) + " to " +
                      FloatToText(brickMaxX) + "," + FloatToText(brickMaxY));

    LinkBricks(bricksArray, sources.sprites, 1);
    brickBoxArray.clear();
    CreateBrickBoxGrid();
}

void Level::CopyTemplates(const LevelSources& sources) {
    sourcePowerupsArray.clear();
    AppendClones(sourcePowerupsArray, sources.powerups);
    powerupsArray.clear();
    sourceProjectilesArray.clear();
    AppendClones(sourceProjectilesArray, sources.projectiles);
    AppendClones(sourceWeaponsArray, sources.weapons);
    AppendClones(sourceBallsArray, sources.balls);
    projectilesArray.clear();
}

void Level::ReadBackground(const std::string& xml, const std::string& path) {
    backgroundImageName = GetDataFromXML(xml, "background");
    const std::string backgroundPath = path + backgroundImageName;
    ThrowError(1, "Level background: " + backgroundPath);
    backgroundImage = nullptr;
    // Without a file name there is only the pack folder, which is no picture.
    if (!backgroundImageName.empty()) backgroundImage = BigImage::create(LoadPixmap(backgroundPath));
    if (!backgroundImage) ThrowError(1, "Failed to load background image!");
}

void Level::MakeShield() {
    // A shield left from an earlier reading is the only holder of its bricks.
    if (brickShield) brickShield->Unlink(1);
    brickShield = std::make_shared<BrickBox>();
    brickShield->SetDimensions(static_cast<float>(g_gamefieldXoffset),
                               static_cast<float>(g_gamefieldXoffset + g_gamefieldWidth), g_BrickShieldY,
                               g_BrickShieldY + 50.0f);
}
