// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ProcessMessages: runs every closure waiting in the UI thread's queue (platform/ui_queue.h),
// including those queued meanwhile, and returns when the queue is empty. A quit request
// found there is dropped: it never ends the program from here. On any other thread, which
// has no queue of its own, it returns at once. Exceptions of the closures pass through.

void ProcessMessages();
