// Debug timers of the globals module: named stopwatches that time steps such as the
// phases of a pack load, and sets of them that print a report.
#include "core/globals.h"
#include "core/numbertext.h"

namespace {

// Milliseconds from one clock reading to another across a wrap of the 32-bit count.
int Elapsed(int from, int to) { return static_cast<int>(static_cast<uint32_t>(to) - static_cast<uint32_t>(from)); }

const char* const kRule = "====================================";

}  // namespace

int debugTimer::Start(const std::string& newName) {
    return Guarded("globals:debugTimer.Start() ", 0, [&] {
        if (isRunning != 0) return 0;
        startTime = MilliSecs();
        isRunning = 1;
        if (!newName.empty()) name = newName;
        return 0;
    });
}

int debugTimer::Stop() {
    return Guarded("globals:debugTimer.Stop() ", 0, [&] {
        if (isRunning != 1) return 0;
        endTime = MilliSecs();
        int d = Elapsed(startTime, endTime);
        totalTime += d;
        isRunning = 0;
        ++totalRuns;
        if (d > hiTime) hiTime = d;
        if (d < loTime) loTime = d;
        return 0;
    });
}

std::string debugTimer::Report(const std::string& note) {
    return Guarded("globals:debugTimer.Report() ", std::string(), [&] {
        int run = 0;
        int64_t total = totalTime;
        if (isRunning) {
            run = Elapsed(startTime, MilliSecs());
            total += run;
        } else {
            run = Elapsed(startTime, endTime);
        }
        // Before the first completed run there is no average to show.
        int64_t average = totalRuns > 0 ? totalTime / totalRuns : 0;
        std::string line = "\"" + name + "\": " + IntToText(run) + (isRunning ? " (R), tot: " : " (S), tot: ") +
                           LongToText(total) + "; hi/lo/reps/avg: " + IntToText(hiTime) + "/" + IntToText(loTime) +
                           "/" + IntToText(totalRuns) + "/" + LongToText(average);
        if (!note.empty()) line += " [ " + note + "]";
        return line;
    });
}

int performanceTimers::Start(const std::string& name) {
    return Guarded("globals:performanceTimers.Start() ", 0, [&] {
        bool found = false;
        for (const DebugTimerPtr& timer : timers) {
            if (timer && timer->name == name) {
                timer->Start("");
                found = true;
            }
        }
        if (!found) {
            timers.push_back(std::make_shared<debugTimer>());
            timers.back()->Start(name);
        }
        return 0;
    });
}

int performanceTimers::Stop(const std::string& name) {
    return Guarded("globals:performanceTimers.Stop() ", 0, [&] {
        bool found = false;
        for (const DebugTimerPtr& timer : timers) {
            if (timer && timer->name == name) {
                timer->Stop();
                found = true;
            }
        }
        if (!found) Print("Timer \"" + name + "\" not found!");
        return 0;
    });
}

int performanceTimers::Report() {
    return Guarded("globals:performanceTimers.Report() ", 0, [&] {
        int64_t grandTotal = 0;
        for (const DebugTimerPtr& timer : timers)
            if (timer) grandTotal += timer->totalTime;
        Print(kRule);
        Print("=========DEBUG TIMER REPORT=========");
        Print(kRule);
        Print("");
        for (const DebugTimerPtr& timer : timers) {
            if (!timer) continue;
            // A set that has timed nothing yet gives every timer a share of 0.
            float share =
                grandTotal != 0
                    ? static_cast<float>(static_cast<double>(timer->totalTime * 100) / static_cast<double>(grandTotal))
                    : 0.0f;
            Print(timer->Report("") + " (" + FloatToText(share) + "%)");
        }
        Print("");
        Print(kRule);
        Print("=======END DEBUG TIMER REPORT=======");
        Print(kRule);
        return 0;
    });
}
