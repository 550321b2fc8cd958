#include "app/save.h"

#include <string>

#include "app/form.h"
#include "shell/window.h"
#include "text/text.h"

Text LastErrorText;

int SaveText(int32_t) {
    Text folder = TrimSpaces(platform::GadgetText(PathField));
    Text name = TrimSpaces(platform::GadgetText(SaveFileField));
    if (TextEquals(name, u"")) {
        platform::ShowMessage(u"Error", u"Filename ?", MessageButtonsOk);
        return 0;
    }
    Text path = name;
    if (!TextEquals(folder, u"")) path = WithTrailingBackslash(folder) + name;
    // The lower-cased path is the one probed, asked about and written.
    path = LowerCase(path);
    int64_t size = FileSizeProbe(path);
    if (size == -1) {
        SaveToFile(path);
    } else if (size == -2) {
        platform::ShowMessage(u"Error", u"FileName is a directory!", MessageButtonsOk);
    } else {
        Text question = u"File exist: " + path + u"\r\nOverwrite ?";
        if (platform::ShowMessage(u"Save file", question, MessageButtonsYesNo) == MessageAnswerYes) SaveToFile(path);
    }
    return 0;
}

int SaveToFile(TextView path) {
    Text content = platform::GadgetText(Editor);
    WriteTextFile(path, content);
    if (!TextEquals(LastErrorText, u"")) platform::ShowMessage(u"Error", LastErrorText, MessageButtonsOk);
    return 0;
}

int WriteTextFile(TextView path, TextView content) {
    LastErrorText.clear();
    platform::File file = platform::CreateOrTruncateFile(path);
    if (file == 0) file = platform::TruncateExistingFile(path);
    if (file == 0) {
        LastErrorText = u"may not create the file! " + Text(path);
        return 0;
    }
    // A device or a pipe opens like a file but keeps nothing: writing the text
    // there would be no save, so nothing is sent to it.
    bool diskFile = platform::IsDiskFile(file);
    bool written = diskFile;
    if (written && !content.empty()) {
        std::string bytes = EncodeUtf8(content);
        written = platform::WriteFileBytes(file, bytes);
    }
    // Closing flushes, so its failure is a failed write too.
    bool closed = platform::CloseFile(file);
    if (written && closed) return 0;
    LastErrorText = u"may not write the file! " + Text(path);
    // A file cut short by a full disk or a failed flush would pass for the
    // saved text: it goes, and the text stays in the editor for another try.
    // A device is not ours to delete.
    if (diskFile) platform::RemoveFile(path);
    return 0;
}

int SaveAndClose(int32_t gadget) {
    // Only a write that worked clears this, so every other road keeps the
    // window open.
    LastErrorText = u"stop";
    SaveText(gadget);
    if (TextEquals(LastErrorText, u"")) EndProgram();
    return 0;
}

int CloseProgram(int32_t) { EndProgram(); }
