// Small number helpers shared by the sprite source files.
#pragma once

namespace spritemath {

// Into [0, 360); a non-finite angle becomes 0.
float WrapDegrees(float angle);
// The whole degree below an angle, as an index into the 360-entry sine and cosine tables.
int DegreeIndex(float degrees);
// Adds a truncated rebound vote, stopping at the ends of the int range.
void AddVote(int& vote, double delta);

}  // namespace spritemath
