// The game's entry point: the command line goes to the main program, which never returns.
#include <string>
#include <vector>

#include "app/brondelvix.h"

int main(int argc, char** argv) { RunBrondelvix(std::vector<std::string>(argv + 1, argv + argc)); }
