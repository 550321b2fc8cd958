// The one seam between vellisk's portable code and the platform it runs on.
//
// Two implementations exist, chosen at link time: the Win32 one that ships
// (platform_win32.cpp) and an in-memory stand-in used by the native unit tests.
// The numbers below are the toolkit's own and bind both implementations.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

using Text = std::u16string;
using TextView = std::u16string_view;

// Event kinds, as the event loop records them. Every other window message is
// passed on with its own message number as the kind.
constexpr int32_t GadgetEvent = 13100;
constexpr int32_t GadgetDropEvent = 13106;
constexpr int32_t CloseEvent = 16;

// Event types of a GadgetEvent. Text fields and the editor report their
// notifications under other, non-zero types.
constexpr int32_t ClickEventType = 0;
constexpr int32_t DragStartEventType = 14002;

// Drop formats and actions.
constexpr int32_t DropFormatText = 1;   // any of Unicode, ANSI and OEM text
constexpr int32_t DropFormatFiles = 15; // a list of files
constexpr int32_t DropActionCopy = 1;

// Move-and-size keeps a coordinate or size that is given as IgnoreValue.
constexpr int32_t IgnoreValue = -65535;

// Window options. The Win32 layer maps them to styles; 0x1 and 0x10000000 are
// the toolkit's own and never reach the platform as style bits.
constexpr uint32_t WindowOptionScreenCentered = 0x00000001;
constexpr uint32_t WindowOptionSystemMenu = 0x00C80000;     // title bar and system menu
constexpr uint32_t WindowOptionMinimizeButton = 0x00CA0000; // implies the system menu
constexpr uint32_t WindowOptionInvisible = 0x10000000;

// Gadget flag bits. They are the toolkit's, not raw platform styles.
constexpr uint32_t ButtonFlagMultiLine = 0x2000;
constexpr uint32_t LabelFlagCenter = 0x1;
constexpr uint32_t LabelFlagBorder = 0x20000;

// Message boxes: which buttons, and what the user answered.
constexpr int32_t MessageButtonsOk = 0;
constexpr int32_t MessageButtonsYesNo = 4;
constexpr int32_t MessageAnswerOk = 1;
constexpr int32_t MessageAnswerYes = 6;
constexpr int32_t MessageAnswerNo = 7;

namespace platform {

struct Event {
    int32_t kind = 0;
    int32_t gadget = 0;
    int32_t type = 0;
    int32_t dropKind = 0;
};

// x and y in the main window's client area; width and height are outer sizes.
struct Geometry {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// ---- process -------------------------------------------------------------

// Common controls, the default GUI font, icon 1 and the arrow cursor, OLE and COM.
void Prepare();
void ShutDownOle();
// Destroys the program's windows and releases its images and fonts.
void ReleaseGadgets();
// Closes every file still open, writing out what is buffered.
void CloseOpenFiles();
[[noreturn]] void EndProcess(int exitCode);
// Sleeps with the system timer resolution raised to 1 ms for the duration.
void SleepMilliseconds(int milliseconds);
// The program's whole command line, as the process received it.
Text CommandLine();

// ---- window and events ---------------------------------------------------

// Opens the main window with an inner area of width by height. Returns the
// window's identifier, or 0 when it could not be opened.
intptr_t OpenWindow(int32_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                    TextView title, uint32_t options);
// Blocks until the next event: first the events the toolkit queued itself,
// then the next window message.
Event WaitEvent();

// ---- gadgets -------------------------------------------------------------
// Every gadget gets a number that is never 0 and unique among existing
// gadgets; 0 means the gadget could not be made.

int32_t CreateButton(int32_t x, int32_t y, int32_t width, int32_t height, TextView caption,
                     uint32_t flags);
int32_t CreateTextField(int32_t x, int32_t y, int32_t width, int32_t height, TextView text,
                        uint32_t flags);
int32_t CreateLabel(int32_t x, int32_t y, int32_t width, int32_t height, TextView text,
                    uint32_t flags);
// Plain multi-line text, CR LF line breaks, no wrapping, scroll bars.
int32_t CreateEditor(int32_t x, int32_t y, int32_t width, int32_t height);
bool GadgetExists(int32_t gadget);
Geometry GadgetGeometry(int32_t gadget);
// Each of x, y, width and height may be IgnoreValue to keep the current value.
void MoveGadget(int32_t gadget, int32_t x, int32_t y, int32_t width, int32_t height);
Text GadgetText(int32_t gadget);
void SetGadgetText(int32_t gadget, TextView text);

// ---- images and image gadgets --------------------------------------------

// A 24-bit image, black throughout. Returns its number, or 0.
int32_t CreateImage(int32_t width, int32_t height);
// Drawing goes to one image at a time, between StartDrawing and StopDrawing,
// in the stock system font a drawing starts with.
bool StartDrawing(int32_t image);
void SetTransparentTextBackground();
void DrawTextAt(int32_t x, int32_t y, TextView text, uint8_t red, uint8_t green, uint8_t blue);
void StopDrawing();
// An image gadget without border that detects drag starts (EventType 14002).
int32_t CreateImageGadget(int32_t x, int32_t y, int32_t width, int32_t height, int32_t image);
// The text is shown literally; an ampersand is no mnemonic.
void SetToolTip(int32_t gadget, TextView text);

// ---- drag and drop -------------------------------------------------------

// Lets the gadget accept drops of the format with the given actions. Enabling
// a format again replaces its actions.
void EnableDrop(int32_t gadget, int32_t format, int32_t actions);
// Starts a modal text drag and returns when it has ended.
void DragText(TextView text, int32_t actions);
// The data of the drop being delivered: text, or the full paths of a file
// list joined by LF.
Text DroppedText();
Text DroppedFiles();

// ---- message boxes -------------------------------------------------------

// Modal, without an icon; returns one of the MessageAnswer values.
int32_t ShowMessage(TextView title, TextView text, int32_t buttons);

// ---- clipboard -----------------------------------------------------------

// False when the clipboard cannot be opened or holds no Unicode text.
bool ReadClipboard(Text& text);
// Empties the clipboard and puts the text on it as Unicode text. False, with
// the previous content kept, when it cannot be opened or memory is lacking.
bool WriteClipboard(TextView text);

// ---- file system ---------------------------------------------------------

struct DirectoryEntry {
    bool found = false;
    bool isDirectory = false;
    int64_t size = 0;
};

// The first entry a directory search finds; "*" and "?" are wildcards.
DirectoryEntry FindFirstEntry(TextView pattern);

enum class PathAttributes { Unreadable, File, Directory };
PathAttributes ReadAttributes(TextView path);

// True when the drive type at a root such as "C:\" is neither undetermined
// nor without a root directory.
bool DriveExists(TextView root);

// Files are opened for writing, letting others read but not write meanwhile.
// A file is 0 when it could not be opened.
using File = intptr_t;
// Creates the file, or empties an existing one.
File CreateOrTruncateFile(TextView path);
// Opens an existing file with its length cut to 0.
File TruncateExistingFile(TextView path);
bool WriteFileBytes(File file, std::span<const char> bytes);
// True when the file is a regular disk file (not a device, pipe or console).
bool IsDiskFile(File file);
bool CloseFile(File file);
// Deletes a closed file; false when it could not be deleted.
bool RemoveFile(TextView path);

// ---- text ----------------------------------------------------------------

// The platform's lower-case mapping for the user's locale, code unit by code
// unit: the result has the same length as the argument.
Text LowerCase(TextView text);

} // namespace platform
