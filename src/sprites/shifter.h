// Value curves: named sampled curves from a pack's "shifters.xml" (ShifterData) and the
// shifters through which animation steps fade, drift, pulse and swing what they draw.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sprites/fwd.h"

// The most samples a curve has unless its file lists more: a pack that asks for more gets this
// many, instead of a curve that would take all memory and the load's time (every shifter keeps a
// copy of its samples).
constexpr int kMostShifterSteps = 4096;

// A named curve sampled once at load, from a reverse-Polish formula over "VAR" or from
// a list of <dat> values. The pack owns these; shifters share them.
class ShifterData {
public:
    std::string name;
    float startX = 0.0f;
    float endX = 0.0f;
    std::vector<float> shift;  // totalSteps samples
    int isPeriodic = 0;
    int isNormalized = 1;
    int totalSteps = 0;
    std::string plottingFunction;
    // Set once a read past the last sample has been reported. Every shifter left on an
    // unresolved name shares one such curve with its clones, so the fault shows once in
    // the log instead of on every draw of every copy.
    int outOfRangeReported = 0;

    int Unlink();
    int LoadFromXML(const std::string& xml, const std::string& packPath);
    int CalculateShiftValues();
    int Normalize();
};

// One use of a curve: maps its samples onto startValue..endValue (times amplitude, plus
// offset), read by progress through a step or by its own step counter.
class Shifter {
public:
    std::string name;
    std::string dataName;
    float startValue = 0.0f;
    float endValue = 0.0f;
    float offset = 0.0f;
    float amplitude = 0.0f;
    int currentStep = 0;
    int64_t startTime = 0;
    int stepDuration = 0;
    ShifterDataPtr shiftData;  // its own empty curve until linked
    std::vector<float> calculatedValues;

    Shifter();

    int Unlink();
    float GetShiftByProgress(float progress, int stepping);
    float GetShift(int index, int advance);
    int Clone(const ShifterPtr& source);
    int LoadFromXML(const std::string& xml, const std::string& unused = "");
    int SelectShifterDataFromName(const std::vector<ShifterDataPtr>& list);
    int CalculateValues();
};

// The shifter module's start-up: the text services first.
void InitShifter();

// The growable-list convention: a copy one longer, a new object in the last slot.
std::vector<ShifterDataPtr> AppendNewShifterData(const std::vector<ShifterDataPtr>& list);
std::vector<ShifterPtr> AppendNewShifter(const std::vector<ShifterPtr>& list);
