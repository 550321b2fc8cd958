#include "toolkit/gadgets.h"

#include <vector>

#include "shell/window.h"
#include "text/text.h"

GadgetActionMapType GadgetActionMap;

void ResetGadgetActionMap() {
    GadgetActionMap.clear();
    // Room for a form many times ours before the first rehash.
    GadgetActionMap.rehash(512);
}

int32_t MakeGadget(int32_t kind, int32_t x, int32_t y, int32_t width, int32_t height, GadgetAction action,
                   TextView caption, uint32_t flags) {
    if (width == 0) width = 40;
    if (height == 0) height = 22;
    if (kind == 0) kind = ButtonKind;

    int32_t gadget;
    switch (kind) {
    case TextFieldKind:
        gadget = platform::CreateTextField(x, y, width, height, caption, flags);
        break;
    case LabelKind:
        gadget = platform::CreateLabel(x, y, width, height, caption,
                                       flags != 0 ? flags : LabelFlagBorder | LabelFlagCenter);
        break;
    default:
        gadget = platform::CreateButton(x, y, width, height, caption, flags != 0 ? flags : ButtonFlagMultiLine);
        break;
    }

    // Events without a gadget carry 0, so a gadget that was not made must not
    // be registered under it: its action would run on every such event.
    if (gadget == 0) return 0;

    Text key = RegisterGadget(gadget);
    GadgetActionMap[key].action = action;
    return gadget;
}

Text RegisterGadget(int32_t gadget) {
    Text key = DecimalText(gadget);
    // Keeps "no element has gadget number 0"; see MakeGadget.
    if (gadget != 0) GadgetActionMap[key].gadget = gadget;
    return key;
}

int DispatchGadgetActions() {
    const int32_t gadget = WindowSettings.EventGadget;
    if (WindowSettings.EventType != ClickEventType) return 0;

    // Collect first and call afterwards: an action that makes gadgets would
    // otherwise rehash the map under the walk.
    std::vector<GadgetActionEntry> matches;
    for (const auto& [key, entry] : GadgetActionMap) {
        if (entry.gadget != 0 && entry.gadget == gadget && entry.action != nullptr) matches.push_back(entry);
    }
    for (const GadgetActionEntry& entry : matches) entry.action(entry.gadget);
    return 0;
}

namespace {

// The hook list takes procedures without a result.
void DispatchGadgetActionsHook() { DispatchGadgetActions(); }

} // namespace

int RegisterGadgetActions() {
    AddEventHook(DispatchGadgetActionsHook);
    return 0;
}
