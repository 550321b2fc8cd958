// Path parts and the command-line splitting: never a crash, and the parts
// keep the shapes the derivation relies on.
#include <cstdlib>

#include "app/cmdline.h"
#include "fuzz_input.h"
#include "text/text.h"

#define CHECK(condition) \
    do {                        \
        if (!(condition)) std::abort(); \
    } while (0)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Text path = UnitsOf(data, size);

    Text folder = FolderPart(path);
    TextView body = path;
    if (!body.empty() && body.front() == u'"') body.remove_prefix(1);
    CHECK(body.substr(0, folder.size()) == folder);
    CHECK(folder.empty() || folder.back() == u'\\' || folder.back() == u'/');
    CHECK(folder.find(u'|') == Text::npos);

    Text file = FilePart(path);
    CHECK(file.find_first_of(u"\\/\"") == Text::npos);

    Text withSlash = WithTrailingBackslash(path);
    CHECK(!withSlash.empty() && withSlash.back() == u'\\');

    std::vector<Text> arguments = SplitCommandLine(path);
    size_t total = 0;
    for (const Text& a : arguments) total += a.size();
    CHECK(total <= path.size());
    return 0;
}
