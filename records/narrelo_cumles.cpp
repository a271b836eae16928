// SPDX-License-Identifier: GPL-3.0-or-later
#include "records/narrelo_cumles.h"

void SetSpeaker(TNarreloCumles &sentences, int32_t speaker) {
    for (int32_t i = 0; i < sentences.Count(); ++i) sentences.Get(i)->Speaker = speaker;
}
