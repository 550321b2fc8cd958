#include "shell/identity.h"

IdentityStringsRecord IdentityStrings;

// The maker's texts live under the project's own reserved domain.
static constexpr TextView MakerNoticeText = u" (c) 2026 the vellisk developers";
static constexpr TextView MakerWebText = u"https://vellisk.example.org/";
static constexpr TextView DonationPage = u"https://vellisk.example.org/support";
static constexpr TextView FirstContact = u"hello@vellisk.example.org";
static constexpr TextView SecondContact = u"orders@vellisk.example.org";

void FillIdentityStrings() {
    IdentityStrings.MakerNotice = Text(MakerNoticeText);
    IdentityStrings.MakerWebAddress = Text(MakerWebText);

    Text advert;
    advert += u"Вы можете заказать программу под Вашу задачу,";
    advert += u"\r\nзапросить совет по подбору существующих программ.";
    advert += u"\r\nАвтоматизация ежедневных дел.";
    advert += u"\r\nПрограммы, скрипты, макросы, консультации.";
    advert += u"\r\n\r\nПишите на почтовый адрес ";
    advert += FirstContact;
    advert += u"\r\nили на почтовый адрес ";
    advert += SecondContact;
    IdentityStrings.AdvertText = advert;

    Text about;
    about += u"Поддержать проект можно на странице: ";
    about += u"\r\n";
    about += DonationPage;
    about += u"\r\n";
    about += IdentityStrings.AdvertText;
    IdentityStrings.AboutText = about;

    IdentityStrings.ProgramName = u"vellisk";
    IdentityStrings.ProgramVersion = u"161209";
}

int ComposeAboutHeader() {
    const auto& s = IdentityStrings;
    IdentityStrings.AboutHeader =
        s.ProgramName + u" v." + s.ProgramVersion + s.MakerNotice + u"\r\n" + s.MakerWebAddress;
    return 0;
}
