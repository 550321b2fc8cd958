// The gadget factory: buttons, text fields and labels with a click action
// each, and the hook that runs the action of the button clicked.
#pragma once

#include <cstdint>
#include <unordered_map>

#include "shell/platform.h"

using GadgetAction = int (*)(int32_t gadget);

constexpr int32_t ButtonKind = 1;
constexpr int32_t TextFieldKind = 2;
constexpr int32_t LabelKind = 3;

struct GadgetActionEntry {
    int32_t gadget = 0;
    GadgetAction action = nullptr;
};

// Keyed by the decimal text of the gadget number.
using GadgetActionMapType = std::unordered_map<Text, GadgetActionEntry>;
extern GadgetActionMapType GadgetActionMap;

// Empties GadgetActionMap, as at start-up.
void ResetGadgetActionMap();

// Returns 0, registering nothing, when the platform could not make the gadget.
int32_t MakeGadget(int32_t kind, int32_t x, int32_t y, int32_t width, int32_t height, GadgetAction action,
                   TextView caption, uint32_t flags);
// Number 0 is no gadget: its key "0" is returned but no element is made.
Text RegisterGadget(int32_t gadget);
int DispatchGadgetActions();
int RegisterGadgetActions();
