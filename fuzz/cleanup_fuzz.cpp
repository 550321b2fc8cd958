// The clean-up commands against the literal rules, and their invariants.
#include <cstdlib>

#include "app/cleanup.h"
#include "fuzz_input.h"
#include "support/literal_rules.h"

#define CHECK(condition) \
    do {                        \
        if (!(condition)) std::abort(); \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Text text = CleanupTextOf(data, size);

    Text compressed = CompressedSpaces(text);
    CHECK(compressed == LiteralCompressSpaces(text));
    CHECK(CompressedSpaces(compressed) == compressed);

    Text wrapped = ColumnWrapped(text);
    CHECK(wrapped == LiteralColumnWrap(text));

    // A line is at most 65 units with its trailing space, unless it holds a
    // single longer word (the only space being its last unit).
    size_t start = 0;
    while (start <= wrapped.size()) {
        size_t end = wrapped.find(u"\r\n", start);
        if (end == Text::npos) end = wrapped.size();
        TextView line = TextView(wrapped).substr(start, end - start);
        if (line.size() > WrapWidth) CHECK(line.find(u' ') == line.size() - 1 || line.find(u' ') == TextView::npos);
        start = end + 2;
    }
    return 0;
}
