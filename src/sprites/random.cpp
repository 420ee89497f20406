// Weighted random choice: reading, extending, saving and drawing from the tables that
// decide the next frame, sound, animation, powerup or projectile.
#include "sprites/random.h"

#include "core/globals.h"
#include "text/parser.h"

void InitRandom() { InitParser(); }

namespace {

// Thresholds from the raw weights: the running sum over the whole sum. A leading run of
// zero weights keeps threshold 0, so those choices can never be drawn.
void RebuildThresholds(Random& table) {
    float total = 0.0f;
    for (size_t i = 0; i < table.value.size(); ++i) {
        total = total + At(table.rootValue, i);
        table.value[i] = total;
    }
    for (float& threshold : table.value) {
        if (threshold != 0.0f) threshold = threshold / total;
    }
}

}  // namespace

int Random::Unlink() {
    return Guarded("random:Random.Unlink() ", 0, [&] {
        action.clear();
        value.clear();
        return 0;
    });
}

std::string Random::WriteToXML(const std::string& tag) {
    return Guarded("random:Random.WriteToXML() ", std::string(), [&] {
        std::string choices;
        for (size_t i = 0; i < action.size(); ++i) {
            std::string choice =
                GetXMLfromData("action", action[i], 0) + GetXMLfromData("value", FloatToText(At(rootValue, i)), 0);
            choices += GetXMLfromData("randomData", choice, 1);
        }
        return GetXMLfromData(tag, choices, 1);
    });
}

int Random::LoadFromXML(const std::string& xml) {
    return Guarded("random:Random.LoadFromXML() ", 0, [&] {
        const int n = CountTagsInXML(xml, "randomData");
        action.assign(static_cast<size_t>(n), std::string());
        value.assign(static_cast<size_t>(n), 0.0f);
        rootValue.assign(static_cast<size_t>(n), 0.0f);
        const std::vector<std::string> choices = ExtractListFromXML(xml, "randomData");
        for (int i = 0; i < n; ++i) {
            const std::string& choice = ListEntry(choices, i);
            action[static_cast<size_t>(i)] = GetDataFromXML(choice, "action");
            rootValue[static_cast<size_t>(i)] = TextToFloat(GetDataFromXML(choice, "value"));
        }
        RebuildThresholds(*this);
        return 0;
    });
}

int Random::Append(const RandomPtr& other) {
    return Guarded("random:Random.Append() ", 0, [&] {
        Random& from = Deref(other);
        // Fixed bounds: a table may be appended to itself.
        const size_t count = from.action.size();
        for (size_t j = 0; j < count; ++j) {
            std::string name = from.action[j];
            float weight = At(from.rootValue, j);
            action.push_back(name);
            rootValue.push_back(weight);
            value.push_back(0.0f);
        }
        RebuildThresholds(*this);
        return 0;
    });
}

std::string Random::Pick() {
    return Guarded("random:Random.Pick() ", std::string(), [&]() -> std::string {
        if (value.empty()) return "";
        const float r = RndFloat();
        for (size_t i = 0; i < value.size(); ++i) {
            if (value[i] > r) return At(action, i);
        }
        ThrowError(0, "a Random.Pick$() call failed to return a valid action.  chosenRandomNumber = " + FloatToText(r) +
                          "; total random choices: " + IntToText(static_cast<int>(value.size())));
        return "";
    });
}
