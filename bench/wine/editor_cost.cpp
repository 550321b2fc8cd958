// What the editor costs apart from the rest of vellisk, under Wine: the
// program's own Win32 layer opens a window with the program's editor (and
// its manifest, so the same version of the control), and runs what start-up
// and the two clean-up buttons do to it, timing each step, outside the event
// loop. Argument: the number of copies of the large-text piece. Prints one
// line of key=value fields, milliseconds:
//   set0      the editor gets the whole text, as at start-up
//   paintN    painting the window after each set
//   getN      the button reads the editor's text (GadgetText)
//   compress, wrap   the command itself, on what it read
//   set1, set2       the editor gets the command's result (SetGadgetText)
// and the units after each step, which start_bench checks.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "app/cleanup.h"
#include "large_text.h"
#include "shell/platform.h"

namespace {

double Now() {
    static const double unitsPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / unitsPerMs;
}

template <typename F>
double Timed(F&& f) {
    double start = Now();
    f();
    return Now() - start;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: editor_cost COPIES\n");
        return 2;
    }
    size_t copies = static_cast<size_t>(std::wcstoull(argv[1], nullptr, 10));
    Text text = RepeatedPiece(copies);

    platform::Prepare();
    auto window = reinterpret_cast<HWND>(platform::OpenWindow(
        1, 0, 0, 400, 300, u"vellisk editor cost", WindowOptionSystemMenu | WindowOptionScreenCentered));
    // Where and how large the form makes it.
    int32_t editor = window ? platform::CreateEditor(5, 120, 315, 150) : 0;
    if (!editor) {
        std::fprintf(stderr, "editor_cost: no window or no editor\n");
        return 2;
    }
    auto paint = [&] { RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN); };
    paint();

    Text read, result;
    double set0 = Timed([&] { platform::SetGadgetText(editor, text); });
    double paint0 = Timed(paint);
    double get1 = Timed([&] { read = platform::GadgetText(editor); });
    size_t units0 = read.size();
    double compress = Timed([&] { result = CompressedSpaces(read); });
    double set1 = Timed([&] { platform::SetGadgetText(editor, result); });
    double paint1 = Timed(paint);
    double get2 = Timed([&] { read = platform::GadgetText(editor); });
    size_t units1 = read.size();
    double wrap = Timed([&] { result = ColumnWrapped(read); });
    double set2 = Timed([&] { platform::SetGadgetText(editor, result); });
    double paint2 = Timed(paint);
    size_t units2 = platform::GadgetText(editor).size();

    std::printf("units0=%zu units1=%zu units2=%zu set0=%.1f paint0=%.1f get1=%.1f compress=%.1f set1=%.1f "
                "paint1=%.1f get2=%.1f wrap=%.1f set2=%.1f paint2=%.1f\n",
                units0, units1, units2, set0, paint0, get1, compress, set1, paint1, get2, wrap, set2, paint2);
    std::fflush(stdout);
    // Without the event loop's ending: nothing here needs saving or closing.
    ExitProcess(0);
}
