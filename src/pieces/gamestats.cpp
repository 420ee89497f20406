// The record of one game: score arithmetic during play, the digest that exposes hand-edited
// records, and the "gameStat" element that player files and saved games embed.
#include "pieces/gamestats.h"

#include <climits>
#include <cmath>

#include "core/arrays.h"
#include "core/globals.h"
#include "core/numeric.h"
#include "platform/runtime.h"
#include "text/parser.h"

namespace {

// Mixed into every record digest; stored files depend on it byte for byte.
const char kStatPadding[] = "nothing to see here, friend.";

constexpr double kTwoTo63 = 9223372036854775808.0;

// A score outside the 64-bit range stops at its nearer end instead of wrapping to a huge
// score of the other sign. The caller has ruled out NaN.
int64_t DoubleToScore(double value) {
    if (value >= kTwoTo63) return INT64_MAX;
    if (value < -kTwoTo63) return INT64_MIN;
    return static_cast<int64_t>(value);
}

// The signed change of a point award: points x multiplier wrapping like the 64-bit integers
// it is kept in, then the difficulty's factor and the ceiling in double precision.
double PointGain(int64_t points, int multiplier, float factor) {
    const int64_t product =
        static_cast<int64_t>(static_cast<uint64_t>(points) * static_cast<uint64_t>(static_cast<int64_t>(multiplier)));
    return std::ceil(static_cast<double>(product) * static_cast<double>(factor));
}

// The gain is integral here (a ceiling), so when it fits a 64-bit integer the sum is made
// exactly: a double sum would round scores past 2^53 even when adding 0.
int64_t ScorePlusGain(int64_t score, double gain) {
    if (gain >= -kTwoTo63 && gain < kTwoTo63) {
        int64_t sum = 0;
        const int64_t whole = static_cast<int64_t>(gain);
        if (__builtin_add_overflow(score, whole, &sum)) return whole > 0 ? INT64_MAX : INT64_MIN;
        return sum;
    }
    return DoubleToScore(static_cast<double>(score) + gain);
}

int WrappingSum(int a, int b) { return static_cast<int>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }

std::string DigestText(const GameStat& stat) {
    return std::string(kStatPadding) + LongToText(stat.score) + IntToText(stat.level) + IntToText(stat.time) +
           stat.date + IntToText(stat.cheatEnabled) + stat.difficulty;
}

}  // namespace

void InitGameStats() {
    static bool done = false;
    if (done) return;
    done = true;
    InitGlobals();
    InitParser();
}

GameStat::GameStat() {
    Guarded("gamestats:GameStat.New() ", 0, [&] { return SetDate(""); });
}

int GameStat::Clone(const GameStatPtr& source) {
    return Guarded("gamestats:GameStat.Clone() ", 0, [&] {
        const GameStat& from = Deref(source);
        // A Hash of our own: the copy must not change when the source is re-digested.
        auto copied = std::make_shared<Hash>();
        if (from.dataHash) copied->hash = from.dataHash->hash;
        score = from.score;
        scoreMultiplier = from.scoreMultiplier;
        level = from.level;
        time = from.time;
        date = from.date;
        cheatEnabled = from.cheatEnabled;
        difficulty = from.difficulty;
        pack = from.pack;
        dataHash = copied;
        return 0;
    });
}

int GameStat::UpdateStatHash() {
    return Guarded("gamestats:GameStat.UpdateStatHash() ", 0, [&] {
        Deref(dataHash).UpdateHash(DigestText(*this));
        return 0;
    });
}

int GameStat::CheckStatHash() {
    return Guarded("gamestats:GameStat.CheckStatHash() ", 0,
                   [&] { return Deref(dataHash).TestHash(DigestText(*this)); });
}

int GameStat::XMLtoData(const std::string& xml) {
    return Guarded("gamestats:GameStat.XMLToData() ", 0, [&] {
        score = TextToLong(GetDataFromXML(xml, "score"));
        level = TextToInt(GetDataFromXML(xml, "level"));
        time = TextToInt(GetDataFromXML(xml, "time"));
        date = GetDataFromXML(xml, "date");
        cheatEnabled = TextToInt(GetDataFromXML(xml, "cheatEnabled"));
        difficulty = GetDataFromXML(xml, "difficulty");
        Deref(dataHash).hash = GetDataFromXML(xml, "hash");
        pack = GetDataFromXML(xml, "pack");
        return 0;
    });
}

int GameStat::SetForContinue() {
    return Guarded("gamestats:GameStat.SetForContinue() ", 0, [&] {
        score = 0;
        level = 1;
        time = 0;
        date.clear();  // left empty on purpose: the game dates the record itself
        cheatEnabled = 0;
        difficulty = "Normal";
        UpdateStatHash();
        return 0;
    });
}

std::string GameStat::DataToXML() {
    return Guarded("gamestats:GameStat.DataToXML() ", std::string(), [&] {
        const std::string children =
            GetXMLfromData("score", LongToText(score), 0) + GetXMLfromData("level", IntToText(level), 0) +
            GetXMLfromData("time", IntToText(time), 0) + GetXMLfromData("date", date, 0) +
            GetXMLfromData("cheatEnabled", IntToText(cheatEnabled), 0) + GetXMLfromData("difficulty", difficulty, 0) +
            GetXMLfromData("hash", Deref(dataHash).hash, 0) + GetXMLfromData("pack", pack, 0);
        return GetXMLfromData("gameStat", children, 1);
    });
}

int GameStat::AddToScore(int64_t points) {
    return Guarded("gamestats:GameStat.AddToScore() ", 0, [&] {
        const double gain = PointGain(points, scoreMultiplier, difficultyPointModifier);
        // A point factor that is not a number (a broken difficulty) scores nothing.
        if (std::isnan(gain)) return 0;
        score = ScorePlusGain(score, gain);
        return 0;
    });
}

int64_t GameStat::ScoredPoints(int64_t points) const {
    const double gain = PointGain(points, scoreMultiplier, difficultyPointModifier);
    return std::isnan(gain) ? 0 : DoubleToScore(gain);
}

int GameStat::SubtractFromScore(int64_t points) {
    return Guarded("gamestats:GameStat.SubtractFromScore() ", 0, [&] {
        const double gain = PointGain(points, scoreMultiplier, difficultyPointModifier);
        // Not a number: keep the score rather than wipe it.
        if (std::isnan(gain)) return 0;
        if (gain >= -kTwoTo63 && gain < kTwoTo63) {
            const int64_t whole = static_cast<int64_t>(gain);
            if (whole < score) {
                int64_t rest = 0;
                // Only a negative deduction can overflow, upwards.
                score = __builtin_sub_overflow(score, whole, &rest) ? INT64_MAX : rest;
            } else {
                score = 0;
            }
        } else if (gain < 0.0) {
            score = DoubleToScore(static_cast<double>(score) - gain);
        } else {
            score = 0;
        }
        return 0;
    });
}

int GameStat::AddToMultiplier(int amount) {
    return Guarded("gamestats:GameStat.AddToMultiplier() ", 0, [&] {
        scoreMultiplier = WrappingSum(scoreMultiplier, amount);
        return 0;
    });
}

int GameStat::SetMultiplier(int value) {
    return Guarded("gamestats:GameStat.SetMultiplier() ", 0, [&] {
        scoreMultiplier = value;
        return 0;
    });
}

int GameStat::AddToLevel(int amount) {
    return Guarded("gamestats:GameStat.AddToLevel() ", 0, [&] {
        level = WrappingSum(level, amount);
        return 0;
    });
}

int GameStat::AddToTime(int milliseconds) {
    return Guarded("gamestats:GameStat.AddToTime() ", 0, [&] {
        // Some 24.8 days of play fill the field; a longer game stays at the top rather than
        // turning into a negative play time.
        time = AddSaturated(time, milliseconds);
        return 0;
    });
}

int GameStat::SetScore(int64_t value) {
    return Guarded("gamestats:GameStat.SetScore() ", 0, [&] {
        score = value < 0 ? 0 : value;
        return 0;
    });
}

int GameStat::SetLevel(int value) {
    return Guarded("gamestats:GameStat.SetLevel() ", 0, [&] {
        level = value < 0 ? 0 : value;
        return 0;
    });
}

int GameStat::SetDate(const std::string& text) {
    return Guarded("gamestats:GameStat.SetDate() ", 0, [&] {
        date = text.empty() ? CurrentDate() : text;
        return 0;
    });
}

int GameStat::SetCheat(int value) {
    return Guarded("gamestats:GameStat.SetCheat() ", 0, [&] {
        cheatEnabled = value;
        return 0;
    });
}

int GameStat::SetDifficulty(const std::string& text) {
    return Guarded("gamestats:GameStat.SetDifficulty() ", 0, [&] {
        difficulty = text;
        return 0;
    });
}

int64_t GameStat::GetScore() {
    return Guarded("gamestats:GameStat.GetScore() ", int64_t{0}, [&] { return score; });
}

int GameStat::GetLevel() {
    return Guarded("gamestats:GameStat.GetLevel() ", 0, [&] { return level; });
}

int GameStat::GetTime() {
    return Guarded("gamestats:GameStat.GetTime() ", 0, [&] { return time; });
}

std::string GameStat::GetDate() {
    return Guarded("gamestats:GameStat.GetDate() ", std::string(), [&] { return date; });
}

std::string GameStat::GetDifficlty() {
    return Guarded("gamestats:GameStat.GetDifficulty() ", std::string(), [&] { return difficulty; });
}

int GameStat::GetCheat() {
    return Guarded("gamestats:GameStat.GetCheat() ", 0, [&] { return cheatEnabled; });
}

std::vector<GameStatPtr> AppendNewGameStat(const std::vector<GameStatPtr>& array) {
    return AppendNew("gamestats:AppendNewGameStat() ", array);
}
