#include "app/cmdline.h"

std::vector<Text> SplitCommandLine(TextView line) {
    std::vector<Text> arguments;
    size_t i = 0;
    const size_t n = line.size();
    while (true) {
        // Only U+0020 separates; a TAB belongs to the argument it stands in.
        while (i < n && line[i] == u' ') ++i;
        if (i == n) break;
        if (line[i] == u'"') {
            size_t close = line.find(u'"', i + 1);
            if (close == TextView::npos) {
                arguments.emplace_back(line.substr(i + 1));
                i = n;
            } else {
                arguments.emplace_back(line.substr(i + 1, close - i - 1));
                // Whatever follows the closing quote starts the next argument.
                i = close + 1;
            }
        } else {
            size_t space = line.find(u' ', i);
            if (space == TextView::npos) space = n;
            arguments.emplace_back(line.substr(i, space - i));
            i = space;
        }
    }
    return arguments;
}

Text ObjectArgument() {
    std::vector<Text> arguments = SplitCommandLine(platform::CommandLine());
    return arguments.size() >= 2 ? arguments[1] : Text();
}
