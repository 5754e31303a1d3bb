// The program's clean-up must give exactly the bytes of the plain passes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/clean_up/clean_up.h"
#include "engine/clean_up/tag_removal.h"
#include "engine/text/text.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/reference_clean_up.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace wendrel;
    fuzzing::FuzzInput input(data, size);
    const std::string prefix = input.TakePiece();
    const std::string text = input.TakePiece();

    PageText fast = text;
    PageText plain = text;
    CleanUpClip(fast);
    reference::CleanUpClip(plain);
    if (fast != plain) {
        std::abort();
    }

    if (!prefix.empty()) {
        fast = text;
        plain = text;
        RemoveTags(fast, {prefix});
        reference::RemoveTags(plain, prefix);
        if (fast != plain) {
            std::abort();
        }
    }
    return 0;
}
