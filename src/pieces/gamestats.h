// The record of one game (score, multiplier, level, play time, day, cheat flag, difficulty,
// pack), its MD5 digest against hand edits and its "gameStat" form in player and save files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/hash.h"
#include "pieces/fwd.h"

// Plain public fields: play, the level loader, the player and the statistics read and write
// them directly. The digest is refreshed only on request, never by the changing operations.
class GameStat {
public:
    int64_t score = 0;
    int scoreMultiplier = 1;
    int level = 0;
    int time = 0;  // milliseconds of play
    std::string date;
    int cheatEnabled = 0;
    std::string difficulty = "Normal";
    std::string pack;  // the pack's saveName
    HashPtr dataHash = std::make_shared<Hash>();
    float difficultyPointModifier = 1.0f;  // never stored in files
    int isActive = 1;                      // 1 until the result has been handed to the player

    // Dated today.
    GameStat();

    // Copies the eight stored fields and the digest text as they are; the point factor and
    // the active flag stay this record's own.
    int Clone(const GameStatPtr& source);
    int UpdateStatHash();
    // 1 when the stored digest matches the current fields.
    int CheckStatHash();
    // Overwrites the eight stored fields from a "gameStat" element; missing children give 0
    // or "". The digest is taken as read.
    int XMLtoData(const std::string& xml);
    // Ready for a fresh run: score 0, level 1, no time, no date, fair, "Normal"; then digested.
    int SetForContinue();
    // The "gameStat" element with the digest held now (callers refresh it first).
    std::string DataToXML();

    // points x multiplier x point factor, rounded up.
    int AddToScore(int64_t points);
    // What AddToScore adds for these points (the floating texts show it): 0 when the
    // factor is not a number, held inside the 64-bit range.
    int64_t ScoredPoints(int64_t points) const;
    // The same deduction, never taking the score below 0.
    int SubtractFromScore(int64_t points);
    int AddToMultiplier(int amount);
    int SetMultiplier(int value);
    int AddToLevel(int amount);
    // Saturates at the ends of the 32-bit range instead of wrapping.
    int AddToTime(int milliseconds);
    // Negative values are stored as 0.
    int SetScore(int64_t value);
    int SetLevel(int value);
    // The empty text stores today's date ("05 Mar 2007").
    int SetDate(const std::string& text);
    int SetCheat(int value);
    int SetDifficulty(const std::string& text);

    int64_t GetScore();
    int GetLevel();
    int GetTime();
    std::string GetDate();
    std::string GetDifficlty();
    int GetCheat();
};

// A new array: the same records followed by one new record; the given array is unchanged.
std::vector<GameStatPtr> AppendNewGameStat(const std::vector<GameStatPtr>& array);

// The game-record module's start-up, once; later calls return at once.
void InitGameStats();
