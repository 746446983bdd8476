// Fuzz target: arbitrary programs translated and run. The input is the program text; after
// its first NUL byte come one byte that chooses the function list's entry (0 evaluates
// the argument only) and the argument text. Without a NUL the first function runs with
// no argument. Runs are bounded in applications and memory. Each program runs three times,
// without the trace and with it on one thread, and with its parallel lists split over
// several threads; all three must show the same.

#include "FuzzSupport.h"

#include <cstring>

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* end = data + size;
    const auto* nul = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::uint8_t* program = data;
    const std::size_t programSize = nul ? static_cast<std::size_t>(nul - data) : size;
    std::size_t index = 1;
    std::string argument;
    if (nul != nullptr && nul + 1 < end) {
        index = nul[1];
        argument = fuzz::Bytes(nul + 2, static_cast<std::size_t>(end - (nul + 2)));
    }
    auto loaded = fuzz::Translate(fuzz::Bytes(program, programSize));
    if (loaded->module != nullptr)
        fuzz::RunTracedAndUntraced(loaded->module, argument, index);
    fuzz::ClearChannels();
    return 0;
}
