// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Listener lists. An event source X declares
//   - a listener interface TEventHandler_X: a polymorphic class whose operations do nothing
//     by default, so a listener overrides only the events it cares about;
//   - a listener list TEventHandlers_X, deriving from TEventHandlers<TEventHandler_X>, with one
//     notify operation per event written as a one-line call to Notify.
//
//   class TEventHandler_WaveOut {
//   public:
//       virtual ~TEventHandler_WaveOut() = default;
//       virtual void OnPause(TWaveOut * /*sender*/) {}
//   };
//   class TEventHandlers_WaveOut : public TEventHandlers<TEventHandler_WaveOut> {
//   public:
//       virtual int32_t OnPause(TWaveOut *sender) {
//           return Notify(&TEventHandler_WaveOut::OnPause, sender);
//       }
//   };
//
// Contract of every listener list:
// - Listeners register with InsertFirst, so the latest one is notified first; they are never
//   removed one by one: the list is emptied by Clear or destroyed with its event source.
// - The list does not own its listeners; a listener must outlive its registration.
// - Notify calls the listeners in index order from 0 on the calling thread, passing the same
//   arguments to each; Count is read afresh before each step, so a listener added or removed
//   during a notification shifts the walk, and an index that became invalid raises "Invalid
//   Index Of List %d". It returns the final Count. An exception from a listener ends the walk
//   and reaches the caller.
// - Registration takes a THandler*, never void*: a class with several listener bases (a
//   form that listens to the wave output and the synthesis thread) is converted to the right
//   base subobject before it is stored.

#include <cstdint>

#include "foundation/list.h"

template <class THandler>
class TEventHandlers : public TList {
public:
    THandler *InsertFirst(THandler *handler) {
        TList::InsertFirst(handler);
        return handler;
    }
    THandler *Add(THandler *handler) {
        TList::Add(handler);
        return handler;
    }
    THandler *Insert(int32_t i, THandler *handler) {
        TList::Insert(i, handler);
        return handler;
    }
    // The listener at index i; raises "Invalid Index Of List %d" for a bad index.
    THandler *Listener(int32_t i) const { return static_cast<THandler *>(Get(i)); }

    // Calls (listener->*operation)(args...) on every listener; see the contract above. The
    // arguments are passed as lvalues, never moved, so every listener sees the same values.
    // Public so that an event source may notify without a list operation of its own.
    template <class R, class... Params, class... Args>
    int32_t Notify(R (THandler::*operation)(Params...), Args &&...args) {
        for (int32_t i = 0; i < Count(); ++i) (Listener(i)->*operation)(args...);
        return Count();
    }
};
