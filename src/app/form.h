// The capture form: its gadgets, built once when the window opens, and the
// content it starts with.
#pragma once

#include <cstdint>

// The form's gadget numbers, set once while the form is built.
extern int32_t ObjectLabel, ObjectField, ObjectButton, ObjectTile;
extern int32_t PathLabel, PathField, PathButton, PathTile;
extern int32_t FileNameLabel, FileNameField, FileNameButton, FileNameTile;
extern int32_t SaveFileLabel, SaveFileField, SaveFileButton, SaveFileTile;
extern int32_t Editor, ColumnWrapButton, CompressSpacesButton, ClipTile;
extern int32_t AboutButton, CloseButton, SaveButton, SaveAndCloseButton;

// The window's on-open hook: registers the event hooks, makes every gadget
// and fills the form.
void BuildMainForm();
// Fills the form from the object argument and the clipboard, then derives the
// target name.
int FillInitialContent();
