#include "large_text.h"

#include "../sample_text.h"

Text LargeTextPiece() {
    Text piece = SampleClipboardText(LargePieceUnits, 20260101);
    for (char16_t& c : piece) {
        if (c != u' ') break;
        c = u'x';
    }
    char16_t& before = piece[LargePieceUnits - 4];
    if (before >= 0xD800 && before <= 0xDBFF) before = u'x';
    piece[LargePieceUnits - 3] = u'.';
    piece[LargePieceUnits - 2] = u'\r';
    piece[LargePieceUnits - 1] = u'\n';
    return piece;
}

Text RepeatedPiece(size_t count) {
    Text piece = LargeTextPiece();
    Text text;
    text.reserve(piece.size() * count);
    for (size_t i = 0; i < count; ++i) text += piece;
    return text;
}
