// Level goals as the level file holds them: reading and writing the "goal" element, copying
// a goal and growing a level's goal list.
#include "level/goal.h"

#include "core/arrays.h"
#include "core/globals.h"
#include "platform/runtime.h"
#include "text/parser.h"

int Goal::LoadFromXML(const std::string& xml) {
    return Guarded("level:Goal.LoadFromXML() ", 0, [&] {
        SetStringFromXML(goalType, xml, "goalType");
        ThrowError(1, "Loading goal data from XML: " + goalType);
        LoadXmlFields(*this, xml, kGoalFields);
        return 0;
    });
}

std::string Goal::WriteToXML() {
    return Guarded("level:Goal.WriteToXML() ", std::string(), [&] {
        std::string data = GetXMLfromData("goalType", goalType, 0);
        data += GetXMLfromData("target", IntToText(target), 0);
        // The configured time, so a goal saved mid-countdown loads with its full time.
        data += GetXMLfromData("time", IntToText(time), 0);
        data += GetXMLfromData("successMessage", successMessage, 0);
        data += GetXMLfromData("successType", successType, 0);
        data += GetXMLfromData("successAction", successAction, 0);
        data += GetXMLfromData("repeats", IntToText(repeats), 0);
        return GetXMLfromData("goal", data, 1);
    });
}

int Goal::Clone(const std::shared_ptr<Goal>& source) {
    return Guarded("level:Goal.Clone() ", 0, [&] {
        const Goal& s = Deref(source);
        goalType = s.goalType;
        CopyXmlFields(*this, s, kGoalFields);
        isLive = s.isLive;
        return 0;
    });
}

std::vector<GoalPtr> AppendNewGoal(const std::vector<GoalPtr>& goals) {
    return AppendNew("level:AppendNewGoal() ", goals);
}
