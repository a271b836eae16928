// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_form_template.h"

#include "foundation/code_page.h"

const TDialogTemplate &MainFormTemplate() {
    using K = TControlKind;
    static const TDialogTemplate kTemplate{MainFormTemplateId, 508, 325, "Valtrosa", dsCaption | dsSysMenu, {
        {IDC_TEXT, K::Edit, csMultiLine | csVScroll | csHScroll | csWantReturn | csNoHideSel | csTabStop | csBorder,
         7, 24, 357, 231, ""},
        {IDC_READ, K::PushButton, csTabStop, 7, 259, 36, 17, "Oku", "Read"},
        {IDC_PAUSE, K::PushButton, csTabStop | csDisabled, 44, 259, 27, 17, "||"},
        {IDC_SPEED, K::PushButton, 0, 73, 259, 35, 17, "Hız"_cp, "Speed"},
        {IDC_STATIC, K::GroupBox, 0, 210, 255, 144, 23, ""},
        {IDC_STATIC, K::Text, 0, 162, 263, 39, 8, "Okuma Şekli"_cp},
        {IDC_BELIRGIN, K::RadioButton, csGroup | csChecked, 219, 263, 64, 10, "Belirgin Okuma"},
        {IDC_AKICI, K::RadioButton, 0, 292, 263, 54, 10, "Akıcı Okuma"_cp},
        {IDC_XML_SWITCH, K::CheckBox, csTabStop, 210, 10, 65, 10, "XML Ön İşleme"_cp, "XML Pre Processing"},
        {IDC_XML_MENU, K::PushButton, csTabStop | csDisabled, 283, 9, 66, 14, "XML Cümleleri"_cp, "XML Sentences"},
        {IDC_PROGRESS, K::ProgressBar, csBorder | csHidden, 7, 288, 142, 15, nullptr},
        {IDC_CONTINUE, K::PushButton, csTabStop | csHidden, 404, 293, 71, 17,
         "Dinlemeye devam etmek için Buraya Basınız."_cp, "To Continue listening, Click Here"},
        {IDC_ATTENTION, K::Text, csHidden, 336, 297, 60, 8, "! Dikkat >> ", "! Attention >>"},
        {IDC_LINK_DOWNLOAD, K::Link, csTabStop, 395, 33, 96, 9,
         "<a style=\"font-color=Red;\">Ücretsiz Tam Sürümü Yükle</a>"_cp},
        {IDC_PICTURE_DOWNLOAD, K::Picture, csCentred, 371, 32, 13, 12, nullptr, nullptr, IDB_DOWNLOAD},
        {IDC_LINK_WEB, K::Link, csTabStop, 395, 51, 75, 12, "<a>İnternet Sitesine Git</a>"_cp, "<a>Visit Web Site</a>"},
        {IDC_PICTURE_WEB, K::Picture, csCentred, 371, 50, 13, 12, nullptr, nullptr, IDB_WEB},
        {IDC_LINK_LANGUAGE, K::Link, csTabStop, 375, 233, 122, 21,
         "<a>Convert Interface Language To English</a>", "<a>Arabirim Dilini TÜRKÇE'ye Çevir</a>"_cp},
        {IDC_LINK_BUY, K::Link, csHidden, 441, 173, 35, 9, "<a>Satın Al</a>"_cp, "<a>Buy</a>"},
        {IDC_LINK_VOICE, K::Link, csHidden, 372, 96, 126, 25,
         "<a>İnternet Sitenizi, Sunumlarınızı veya Farklı İçeriklerinizi Seslendirmek için Tıklayın</a>"_cp},
        {IDC_LINK_MP3, K::Link, csHidden, 372, 125, 126, 28,
         "<a>E-Kitaplarınızı, Belgelerinizi, İnternet Sitelerini Dinleyip, MP3 Oluşturmak için Tıklayın</a>"_cp},
        {IDC_LINK_QUALITY, K::Link, csHidden, 372, 70, 105, 22,
         "<a>Konuşma Kalitesini İyileştirmek için Tıklayın</a>"_cp},
        {IDC_LINK_FAQ, K::Link, csHidden, 372, 157, 116, 14, "<a>Sıkça Sorulan Sorular</a>"_cp},
        {IDC_LABEL_VOICE, K::Text, csHidden | csNotify, 370, 271, 47, 14,
         "İnternet Sitenizi, Sunumlarınızı veya Farklı İçeriklerinizi Seslendirin"_cp},
        {IDC_STATIC_DESKTOP, K::Text, csHidden | csNotify, 383, 268, 41, 16,
         "İnternet bağlantısı gerektirmeyen Masa Üstü Konuşma uygulamalarına gözatın"_cp},
        {IDC_STATIC_QUALITY, K::Text, csHidden | csNotify, 393, 260, 42, 19, "Konuşma Kalitesini İyileştirin"_cp},
        {IDC_STATIC_FAQ, K::Text, csHidden | csNotify, 412, 271, 38, 18, "Sıkça Sorulan Sorular"_cp},
    }};
    return kTemplate;
}
