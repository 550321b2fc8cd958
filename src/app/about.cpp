#include "app/about.h"

#include "shell/identity.h"
#include "text/text.h"

int ShowAbout(int32_t) {
    ShowInfo(IdentityStrings.AboutText, u"About");
    return 0;
}

int ShowInfo(TextView body, TextView title) {
    ComposeAboutHeader();
    Text text = IdentityStrings.AboutHeader;
    if (!TextEquals(body, u"")) {
        text += u"\r\n\r\n";
        text += body;
    }
    platform::ShowMessage(title, text, MessageButtonsOk);
    return 0;
}
