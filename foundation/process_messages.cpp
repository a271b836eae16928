// SPDX-License-Identifier: GPL-3.0-or-later
#include "foundation/process_messages.h"

#include "platform/ui_queue.h"

void ProcessMessages() {
    TUiQueue &queue = UiQueue();
    if (queue.OnOwnerThread()) queue.RunPending(TUiQueue::TQuitHandling::Drop);
}
