// Feeds arbitrary formulas to the value curves' reverse-Polish evaluator and checks the
// promises of its text stack: a pop always shortens it, a push is a trimmed concatenation,
// and nothing ever reaches the debug log.
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "text/parser.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QuietDebugLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    ResetDebugLog();
    const std::string input(reinterpret_cast<const char*>(bytes), size);
    RPN(input);

    // The input taken as a stack, popped until empty.
    std::string stack = input;
    float value = 0.0f;
    while (!stack.empty()) {
        const size_t before = stack.size();
        RPNPop(stack, value);
        if (stack.size() >= before) Broken("pop did not shorten the stack", stack, input);
    }

    // The first half pushed onto the second.
    std::string pushed = input.substr(size / 2);
    const std::string token = input.substr(0, size / 2);
    const std::string expected = TrimText(pushed + " " + token);
    RPNPush(pushed, token);
    if (pushed != expected) Broken("push", pushed, expected);

    if (!g_DebugLog.empty()) Broken("logged", g_DebugLog, "");
    return 0;
}
