// Fuzz target: an argument text against a translated example program. The first byte
// chooses the example, the second the function list's entry to run on the argument (0
// evaluates the argument only); the other bytes are the text typed into the "Аргумент"
// pane.

#include "FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareProcess();
    fuzz::Examples(); // translated before the first input, so that it is not timed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const auto& examples = fuzz::Examples();
    const fuzz::CLoadedProgram& example = *examples[data[0] % examples.size()];
    fuzz::RunBounded(example.module, fuzz::Bytes(data + 2, size - 2), data[1]);
    return 0;
}
