// A level goal: one trigger (a condition or a countdown) paired with one success action,
// as read from and written to the level file's "goal" element.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "level/fwd.h"
#include "text/xmlfields.h"

class Goal {
public:
    int LoadFromXML(const std::string& xml);
    std::string WriteToXML();
    int Clone(const std::shared_ptr<Goal>& source);

    std::string goalType;
    int target = 0;
    int time = -1;           // configured countdown; -1 = untimed goal
    int timeRemaining = -1;  // running countdown; -1 = untimed goal
    std::string successMessage;
    std::string successType;
    std::string successAction;
    int isLive = 1;
    int repeats = 0;
};

// Every field a "goal" element sets after its type, with its tag (one tag sets both the time and
// the countdown): LoadFromXML reads them and Clone copies them.
inline constexpr XmlFields kGoalFields{
    XmlField{"target", &Goal::target},           XmlField{"time", &Goal::time},
    XmlField{"time", &Goal::timeRemaining},      XmlField{"successMessage", &Goal::successMessage},
    XmlField{"successType", &Goal::successType}, XmlField{"successAction", &Goal::successAction},
    XmlField{"repeats", &Goal::repeats},
};

std::vector<GoalPtr> AppendNewGoal(const std::vector<GoalPtr>& goals);
