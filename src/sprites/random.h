// Weighted random choice: the content's tables of action names and weights from which
// animations, nains, bricks and difficulties pick what happens next.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "sprites/fwd.h"

// Holders share one table with their clones, so Append changes it for all of them.
class Random {
public:
    std::vector<std::string> action;
    std::vector<float> value;      // cumulative thresholds, the last 1.0
    std::vector<float> rootValue;  // raw weights as read

    int Unlink();
    // The table inside an element named tag, as the owner saves it.
    std::string WriteToXML(const std::string& tag);
    // xml is the owner's whole child element holding the <randomData> choices.
    int LoadFromXML(const std::string& xml);
    int Append(const RandomPtr& other);
    // One draw of the global generator per call; the empty string for an empty table.
    std::string Pick();
};

// The random module's start-up: the text services first.
void InitRandom();
