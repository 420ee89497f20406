// For tests: a file that names, a line each, every powerup caught and every brick broken in
// play, so that a scripted run can tell what it met. Off unless a file is opened.
#pragma once

#include <string>

// Starts appending to the file at path (made when missing); false when it cannot be opened for
// writing, and the trace stays off. An empty path turns it off.
bool OpenPlayTrace(const std::string& path);
void ClosePlayTrace();
// "powerup NAME" or "brick NAME", names as the pack gives them; nothing when the trace is off.
void TracePowerupCaught(const std::string& name);
void TraceBrickBroken(const std::string& name);
