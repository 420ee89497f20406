// One level of play with everything that lives in it: the paddle, the ball pool, the
// bricks, nains, falling powerups, thrown projectiles, the weapon, goals and brick boxes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "level/fwd.h"

// The pack's templates a level is read from: its bricks and their sprites, and the powerups,
// projectiles, weapons and balls it takes copies of. Levels and sounds are not read. Every
// array starts empty, so a caller names only those it has.
struct LevelSources {
    std::vector<BrickPtr> bricks = {};
    std::vector<SpritePtr> sprites = {};
    std::vector<PowerupPtr> powerups = {};
    std::vector<WeaponPtr> weapons = {};
    std::vector<BallPtr> balls = {};
    std::vector<std::shared_ptr<Level>> levels = {};
    std::vector<ProjectilePtr> projectiles = {};
    std::vector<SoundPtr> sounds = {};
    std::vector<DifficultyPtr> difficulties = {};
};

class Level {
public:
    Level() = default;
    // Unlinks once more and frees the shield box with its bricks, which Unlink leaves alone.
    ~Level();
    Level(const Level&) = delete;
    Level& operator=(const Level&) = delete;

    int Unlink();
    int AddNainToBrick(int j);
    int GenerateExplosion(const SpritePtr& sprite, float value);
    int Update(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives, int noNewNains);
    int StartNewBall(const std::vector<SoundPtr>& sounds);
    int GeneratePowerup(const NainPtr& nain);
    int GenerateBrickPowerup(const BrickPtr& brick);
    int UpdateGoal(const GoalPtr& goal, const std::vector<SoundPtr>& sounds, int& lives, const GameStatPtr& stat);
    int TestGoal(const GoalPtr& goal, const std::vector<SoundPtr>& sounds, int& lives, const GameStatPtr& stat);
    int AwardGoal(const GoalPtr& goal, const std::vector<SoundPtr>& sounds, int& lives, const GameStatPtr& stat);
    int Clone(const std::shared_ptr<Level>& source);
    // What a powerup caught in this level acts on: its pieces, and the lives and record given.
    AwardTargets AwardTargetsFor(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives);
    int CreateBrickBoxGrid();
    // The level file named by nameOfFile, read in full; path is the pack folder. A file that
    // cannot be read, or holds no whole "level" element, is reported (-13) with its path.
    int LoadFromFile(const LevelSources& sources, const std::string& path, const GameStatPtr& stat);
    // headerOnly 1 reads the name and file name alone.
    int LoadFromXML(const std::string& xml, const LevelSources& sources, int headerOnly, const std::string& path,
                    const GameStatPtr& stat);
    int SaveToFile();
    std::string WriteToXML();

    std::string name;
    std::string nameOfFile;
    PaddlePtr playerPaddle;
    std::vector<BallPtr> ballsArray;
    std::vector<BrickPtr> bricksArray;
    std::vector<NainPtr> sourceNainsArray;
    std::vector<NainPtr> nainsArray;
    std::vector<PowerupPtr> sourcePowerupsArray;
    std::vector<PowerupPtr> powerupsArray;
    std::vector<ProjectilePtr> sourceProjectilesArray;
    std::vector<ProjectilePtr> projectilesArray;
    std::vector<WeaponPtr> sourceWeaponsArray;
    WeaponPtr activeWeapon;
    std::vector<BallPtr> sourceBallsArray;
    std::vector<GoalPtr> goalsArray;
    float brickMinX = 999999.0f;
    float brickMinY = 999999.0f;
    float brickMaxX = 0.0f;
    float brickMaxY = 0.0f;
    std::vector<BrickBoxPtr> brickBoxArray;
    BrickBoxPtr brickShield;
    int mustClearBrickCount = 0;
    std::string nextLevel;
    BigImagePtr backgroundImage;
    std::string backgroundImageName;
    std::string music;
    int ballsAlive = 1;
    int updateCounter = 0;
    int updateBallsModulo = 1;
    int updateBricksModulo = 4;
    int updateNainsModulo = 4;
    int updateProjectilesModulo = 4;
    int updatePowerupsModulo = 4;
    int updateGoalsModulo = 4;
    float levelEndTTL = -1.0f;
    float levelStartTTL = 25.0f;
    float newPaddleTTL = -1.0f;
    float newPaddleGracePeriod = -1.0f;
    std::string ballXML;
    std::vector<BallPtr> newBallsSourceArray;
    PaddlePtr playerPaddleSource;
    float gameOver = -1.0f;
    std::vector<DifficultyPtr> difficultyArray;
    // The balls, paddle, goals and nains as the level file gave them, written out before play
    // or the chosen difficulty changed them: the writer saves these, so a save never carries
    // the difficulty into the file. Empty on a level that was not read from a file.
    std::string loadedBallsXML;
    std::string loadedPaddleXML;
    std::string loadedGoalsXML;
    std::string loadedNainsXML;

private:
    struct BoxGrid;  // the brick boxes as the balls of one step see them

    // The phases of LoadFromXML, in the order it runs them.
    void ReadPaddle(const std::string& xml, const LevelSources& sources);
    // The goals, balls, nains and difficulties.
    void ReadPieces(const std::string& xml, const LevelSources& sources);
    // The bricks over the pack's templates, their bound, neighbours and boxes.
    void ReadBricks(const std::string& xml, const LevelSources& sources);
    // The level's own copies of the pack's powerups, projectiles, weapons and balls.
    void CopyTemplates(const LevelSources& sources);
    void ReadBackground(const std::string& xml, const std::string& path);
    void MakeShield();

    // The phases of Update, in the order it runs them.
    SpritePtr UpdateBalls(const GameStatPtr& gameStat);
    SpritePtr MoveBalls();
    void CollideBall(const BallPtr& ballRef, const GameStatPtr& gameStat, bool testNainsAndProjectiles,
                     const BoxGrid& grid);
    // Asks the grid's boxes, in order, whether the ball hits their bricks.
    void CollideBoxes(Ball& ball, const BallPtr& ballRef, float reach, const GameStatPtr& gameStat,
                      const BoxGrid& grid);
    void UpdateBricks(const GameStatPtr& gameStat);
    void UpdateShield(const GameStatPtr& gameStat);
    void AddNewNains(int noNewNains);
    void UpdateNains(SpritePtr& nainTarget);
    void UpdateProjectiles();
    void UpdatePowerups();
    void UpdateGoals(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives);
    void CatchProjectiles(const GameStatPtr& gameStat);
    void CatchPowerups(const GameStatPtr& gameStat, const std::vector<SoundPtr>& sounds, int& lives);
    void CatchNains(const GameStatPtr& gameStat);
    void UpdateWeapon();
    void CountDownTimers(const std::vector<SoundPtr>& sounds);
};

LevelPtr GetLevelByName(const std::string& name, const std::vector<LevelPtr>& levels);
std::vector<LevelPtr> AppendNewLevel(const std::vector<LevelPtr>& levels);
