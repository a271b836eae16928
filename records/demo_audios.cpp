// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/demo_audios.h"

int32_t FindAudio(const TDemoAudios &list, const MyString &text, bool isXml, int32_t speaker,
                  int32_t volume, int32_t speed, int32_t fileType) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        const TDemoAudio &item = *list.Get(i);
        if (item.Text.Equals(text) && item.IsXml == isXml && item.Speaker == speaker &&
            item.Volume == volume && item.Speed == speed && item.FileType == fileType)
            return i;
    }
    return -1;
}
