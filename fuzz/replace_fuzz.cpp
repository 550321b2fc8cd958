// Counting, fields and replace-until-gone against their plain forms.
#include <cstdlib>

#include "fuzz_input.h"
#include "support/literal_rules.h"
#include "text/text.h"

#define CHECK(condition) \
    do {                        \
        if (!(condition)) std::abort(); \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<Text> parts = PartsOf(UnitsOf(data, size));
    const Text& text = parts[0];
    Text find = parts.size() > 1 ? parts[1] : Text(u"  ");
    Text replacement = parts.size() > 2 ? parts[2] : Text(u" ");
    if (text.size() > 4096) return 0;

    CHECK(CountOccurrences(text, find) == LiteralCountOccurrences(text, find));
    int64_t fields = find.empty() ? 1 : CountOccurrences(text, find) + 1;
    for (int64_t i = -1; i <= fields + 1; ++i) CHECK(NthField(text, i, find) == LiteralNthField(text, i, find));

    // Replace-until-gone only ends when each pass shortens the text.
    if (replacement.size() < find.size()) {
        Text fast = ReplaceAll(text, find, replacement);
        CHECK(fast == LiteralReplaceAll(text, find, replacement));
        CHECK(find.empty() || CountOccurrences(LowerCase(fast), LowerCase(find)) == 0);
    }
    return 0;
}
