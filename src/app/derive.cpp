#include "app/derive.h"

#include "app/form.h"
#include "text/text.h"

int FillFromObject(int32_t gadget) {
    // DeriveSaveFile reads the file name DeriveFileName has just written.
    DerivePath(gadget);
    DeriveFileName(gadget);
    DeriveSaveFile(gadget);
    return 0;
}

int DerivePath(int32_t) {
    Text object = TrimSpaces(platform::GadgetText(ObjectField));
    platform::SetGadgetText(PathField, TrimSpaces(FolderPart(object)));
    return 0;
}

int DeriveFileName(int32_t) {
    Text object = TrimSpaces(platform::GadgetText(ObjectField));
    platform::SetGadgetText(FileNameField, TrimSpaces(FilePart(object)));
    return 0;
}

int DeriveSaveFile(int32_t) {
    Text name = TrimSpaces(platform::GadgetText(FileNameField));
    name = TrimSpaces(LowerCase(name));
    // After the trims on purpose: a TAB or line break at an end survives as an
    // underscore there.
    name = ReplaceAll(name, u"\r", u" ");
    name = ReplaceAll(name, u"\n", u" ");
    name = ReplaceAll(name, u"\t", u" ");
    name = ReplaceAll(name, u"  ", u" ");
    name = ReplaceAll(name, u" ", u"_");
    if (TextEquals(name, u"")) name = u"_read_me";
    if (!TextEquals(RightPart(name, 4), u".txt")) name += u".txt";
    platform::SetGadgetText(SaveFileField, name);
    return 0;
}
