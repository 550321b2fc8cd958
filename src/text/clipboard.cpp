// The clipboard in its Unicode text form. Nothing is reported: a clipboard
// that cannot be read reads as empty, one that cannot be written keeps what
// it held.
#include "text/text.h"

Text ReadClipboardText() {
    Text text;
    if (!platform::ReadClipboard(text)) return Text();
    return text;
}

void WriteClipboardText(TextView text) { platform::WriteClipboard(text); }
