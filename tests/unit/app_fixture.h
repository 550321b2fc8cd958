// Shared set-up for the capture form's tests: a fresh stand-in and the
// program started as far as a built and filled form.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

#include "shell/startup.h"
#include "support/standin.h"

// Runs start-up (registries, window settings, the form) with this command
// line and clipboard; nullopt is a clipboard without text.
inline void StartForm(TextView commandLine = u"vellisk.exe", std::optional<Text> clipboard = std::nullopt) {
    standin::Reset();
    standin::Get().commandLine = Text(commandLine);
    standin::Get().clipboard = std::move(clipboard);
    PrepareProgram();
}

class FormTest : public ::testing::Test {
protected:
    void SetUp() override { StartForm(); }
};

// The notation of our worked examples: · a space, → a TAB, ↵ a CR LF pair.
inline Text Notation(std::u16string_view shown) {
    Text text;
    for (char16_t c : shown) {
        if (c == u'·') text += u' ';
        else if (c == u'→') text += u'\t';
        else if (c == u'↵') text += u"\r\n";
        else text += c;
    }
    return text;
}

inline Text TextOf(int32_t gadget) { return platform::GadgetText(gadget); }
