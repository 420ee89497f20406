// Placeholder until the input layer lands.
#include "platform/input.h"

void PumpEvents() {}
