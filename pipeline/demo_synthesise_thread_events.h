// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Listeners of the synthesis thread (the listener-list pattern of
// foundation/event_handlers.h). Every event is raised on the synthesis thread itself, in
// this order: OnTextReady once, OnAudio for every playable audio item, OnFinished once. An
// exception a listener raises reaches the thread's failure guard like any failure of the
// reading: the message is shown, queued sound plays out and OnFinished still follows.

#include <cstdint>

#include "foundation/event_handlers.h"

class TDemoSynthesiseThread;
class TDemoAudio;

class TEventHandler_DemoSynthesiseThread {
public:
    virtual ~TEventHandler_DemoSynthesiseThread() = default;
    // `audio` is an item of the thread's AudioCache whose Data holds a complete audio file;
    // the thread's SentenceIndex says which sentence of CurrentText it speaks. The item
    // stays valid after the call (the cache keeps it for later readings).
    virtual void OnAudio(TDemoSynthesiseThread * /*thread*/, TDemoAudio * /*audio*/) {}
    // The reading is over: completed, stopped or failed.
    virtual void OnFinished(TDemoSynthesiseThread * /*thread*/) {}
    // CurrentText is set and its sentences are known.
    virtual void OnTextReady(TDemoSynthesiseThread * /*thread*/) {}
};

class TEventHandlers_DemoSynthesiseThread
    : public TEventHandlers<TEventHandler_DemoSynthesiseThread> {
public:
    virtual int32_t OnAudio(TDemoSynthesiseThread *thread, TDemoAudio *audio) {
        return Notify(&TEventHandler_DemoSynthesiseThread::OnAudio, thread, audio);
    }
    virtual int32_t OnFinished(TDemoSynthesiseThread *thread) {
        return Notify(&TEventHandler_DemoSynthesiseThread::OnFinished, thread);
    }
    virtual int32_t OnTextReady(TDemoSynthesiseThread *thread) {
        return Notify(&TEventHandler_DemoSynthesiseThread::OnTextReady, thread);
    }
};
