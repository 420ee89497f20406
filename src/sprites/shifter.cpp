// Value curves: sampling a pack's curves at load and reading them, by step progress or by
// a shifter's own clock, while animation steps draw.
#include "sprites/shifter.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/arrays.h"
#include "core/globals.h"
#include "text/parser.h"

void InitShifter() { InitParser(); }

namespace {

std::string ReplaceEvery(const std::string& text, const std::string& what, const std::string& with) {
    std::string out;
    size_t from = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, from)) {
        out.append(text, from, at - from);
        out += with;
        from = at + what.size();
    }
    out.append(text, from, std::string::npos);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// ShifterData

int ShifterData::Unlink() {
    return Guarded("shifter:ShifterData.Unlink() ", 0, [&] {
        shift.clear();
        return 0;
    });
}

int ShifterData::LoadFromXML(const std::string& xml, const std::string& /*packPath*/) {
    return Guarded("shifter:ShifterData.LoadFromXML() ", 0, [&] {
        name = GetDataFromXML(xml, "name");
        startX = TextToFloat(GetDataFromXML(xml, "startX"));
        endX = TextToFloat(GetDataFromXML(xml, "endX"));
        // A negative sample count is no curve at all, not an allocation failure; a huge one is
        // held at the most a curve has, or at the samples the file lists when it lists more.
        const int most = std::max(kMostShifterSteps, CountTagsInXML(xml, "dat"));
        totalSteps = std::clamp(TextToInt(GetDataFromXML(xml, "totalSteps")), 0, most);
        isPeriodic = TextToInt(GetDataFromXML(xml, "isPeriodic"));
        isNormalized = TextToInt(GetDataFromXML(xml, "isNormalized"));
        shift.assign(static_cast<size_t>(totalSteps), 0.0f);

        std::string function = GetDataFromXML(xml, "plottingFunction");
        if (!function.empty()) {
            plottingFunction = function;
            CalculateShiftValues();
        } else {
            // Listed samples are the author's exact values: never normalised.
            const std::vector<std::string> samples = ExtractListFromXML(xml, "dat");
            // Samples past the file's last one read as an empty element: read that once.
            const float missing = TextToFloat(GetDataFromXML("", "dat"));
            for (int i = 0; i < totalSteps; ++i) {
                const size_t k = static_cast<size_t>(i);
                At(shift, i) = k < samples.size() ? TextToFloat(GetDataFromXML(samples[k], "dat")) : missing;
            }
        }
        return 0;
    });
}

int ShifterData::CalculateShiftValues() {
    return Guarded("shifter:ShifterData.CalculateShiftValues() ", 0, [&] {
        for (int i = 0; i < totalSteps; ++i) {
            // endX itself is never sampled: the last sample is one step short of it.
            float x = startX + static_cast<float>(i) * (endX - startX) / static_cast<float>(totalSteps);
            At(shift, i) = RPN(ReplaceEvery(plottingFunction, "VAR", FloatToText(x)));
        }
        if (isNormalized != 0) Normalize();
        return 0;
    });
}

int ShifterData::Normalize() {
    return Guarded("shifter:ShifterData.Normalize() ", 0, [&] {
        const int n = totalSteps;
        const float first = At(shift, 0);
        for (int i = 0; i < n; ++i) At(shift, i) = first - At(shift, i);

        float divisor = 0.0f;
        if (isPeriodic != 0) {
            ThrowError(1, "Shift is periodic");
            for (int i = 0; i < n; ++i) divisor = std::max(divisor, std::fabs(At(shift, i)));
        } else {
            ThrowError(1, "Shift is NOT periodic");
            // A one-way curve always ends at or above where it starts.
            if (At(shift, 0) > At(shift, n - 1)) {
                for (int i = 0; i < n; ++i) At(shift, i) = -At(shift, i);
            }
            divisor = At(shift, n - 1);
        }
        if (divisor == 0.0f) divisor = 1e-8f;
        for (int i = 0; i < n; ++i) At(shift, i) = At(shift, i) / divisor;
        isNormalized = 1;
        return 0;
    });
}

std::vector<ShifterDataPtr> AppendNewShifterData(const std::vector<ShifterDataPtr>& list) {
    // No handler of its own: a failure reaches the caller's.
    return AppendNew(nullptr, list);
}

// ---------------------------------------------------------------------------
// Shifter

Shifter::Shifter() {
    // Until linked, a shifter reads its own empty curve.
    shiftData = Guarded("shifter:Shifter.New() ", ShifterDataPtr(), [] { return std::make_shared<ShifterData>(); });
}

int Shifter::Unlink() {
    return Guarded("shifter:Shifter.Unlink() ", 0, [&] {
        shiftData = nullptr;
        calculatedValues.clear();
        return 0;
    });
}

float Shifter::GetShiftByProgress(float progress, int stepping) {
    return Guarded("shifter:Shifter.GetShiftByProgress() ", 0.0f, [&] {
        const int n = Deref(shiftData).totalSteps;
        if (stepping != 0 && stepDuration > 0) return GetShift(-1, 1);
        if (progress == -1.0f) return GetShift(-1, 1);
        if (progress < 0.0f || std::isnan(progress)) return GetShift(0, 0);
        if (progress > 1.0f) return GetShift(n - 1, 0);
        return GetShift(static_cast<int>(std::floor(static_cast<float>(n - 1) * progress)), 0);
    });
}

float Shifter::GetShift(int index, int advance) {
    return Guarded("shifter:Shifter.GetShift() ", 0.0f, [&] {
        ShifterData& data = Deref(shiftData);
        const int n = data.totalSteps;
        if (index == -1) {
            index = 0;
            // Without a positive cycle length the own clock has only sample 0.
            if (currentStep > 0 && stepDuration > 0) {
                float at =
                    static_cast<float>(currentStep) / static_cast<float>(stepDuration) * static_cast<float>(n - 1);
                index = std::isfinite(at) && std::fabs(at) < 2147483520.0f ? static_cast<int>(at) : n;
            }
        }
        if (index > n - 1) {
            if (data.outOfRangeReported == 0) {
                data.outOfRangeReported = 1;
                ThrowError(-15, "Debug information: the program asked for element " + IntToText(index) +
                                    " of a shifter that only has " + IntToText(n) + " elements.");
            }
            return 0.0f;
        }
        if (index < 0) return 0.0f;
        if (advance == 1) {
            // Cycles 0, 1, ..., stepDuration, 0, ...
            currentStep = currentStep >= stepDuration ? 0 : currentStep + 1;
        }
        if (calculatedValues.empty()) CalculateValues();
        return At(calculatedValues, index);
    });
}

int Shifter::Clone(const ShifterPtr& source) {
    return Guarded("shifter:Shifter.Clone() ", 0, [&] {
        const Shifter& from = Deref(source);
        name = from.name;
        dataName = from.dataName;
        startValue = from.startValue;
        endValue = from.endValue;
        currentStep = from.currentStep;
        amplitude = from.amplitude;
        offset = from.offset;
        startTime = from.startTime;
        stepDuration = from.stepDuration;
        shiftData = from.shiftData;
        // The table belongs to the curve it was computed from; this one is built on first read.
        calculatedValues.clear();
        return 0;
    });
}

int Shifter::LoadFromXML(const std::string& xml, const std::string& /*unused*/) {
    return Guarded("shifter:Shifter.LoadFromXML() ", 0, [&] {
        name = GetDataFromXML(xml, "name");
        dataName = GetDataFromXML(xml, "dataName");
        startValue = TextToFloat(GetDataFromXML(xml, "startValue"));
        endValue = TextToFloat(GetDataFromXML(xml, "endValue"));
        // A negative cycle length is no own clock: it counts as 0.
        stepDuration = std::max(TextToInt(GetDataFromXML(xml, "stepDuration")), 0);
        amplitude = TextToFloat(GetDataFromXML(xml, "amplitude"));
        offset = TextToFloat(GetDataFromXML(xml, "offset"));
        currentStep = 0;
        startTime = 0;
        return 0;
    });
}

int Shifter::SelectShifterDataFromName(const std::vector<ShifterDataPtr>& list) {
    return Guarded("shifter:Shifter.SelectShifterDataFromName() ", 0, [&] {
        ThrowError(1, "calculating \"" + name + "\" shifter values...");
        for (const ShifterDataPtr& data : list) {
            if (Deref(data).name == dataName) {
                shiftData = data;
                CalculateValues();
                return 0;
            }
        }
        ThrowError(0, "Could not find shifter data named \"" + dataName + "\".");
        return 0;
    });
}

int Shifter::CalculateValues() {
    return Guarded("shifter:Shifter.CalculateValues() ", 0, [&] {
        const ShifterData& data = Deref(shiftData);
        calculatedValues.assign(static_cast<size_t>(std::max(data.totalSteps, 0)), 0.0f);
        for (int i = 0; i < data.totalSteps; ++i) {
            At(calculatedValues, i) = startValue + At(data.shift, i) * amplitude * (endValue - startValue) + offset;
        }
        return 0;
    });
}

std::vector<ShifterPtr> AppendNewShifter(const std::vector<ShifterPtr>& list) {
    return AppendNew("shifter:AppendNewShifter() ", list);
}
