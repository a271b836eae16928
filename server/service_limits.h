// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every bound the speech service puts on what one client may ask of it, in one place. A
// request beyond a bound is refused with an answer that names it, before the work starts.

#include <cstddef>
#include <cstdint>

// One request as it arrives.
inline constexpr uint64_t MaxRequestBytes = 1024 * 1024;   // the body
inline constexpr size_t MaxHeaderBytes = 64 * 1024;        // request line and header fields
inline constexpr int RequestDeadlineSeconds = 10;          // whole head and body, however it trickles
inline constexpr int AnswerDeadlineSeconds = 120;          // a whole answer, however slowly it is read
// A file served over GET up to this size is answered from memory (the reading thread sends
// it, so a slow reader holds no worker); a larger one is sent by the worker in blocks.
inline constexpr uint64_t MaxBufferedFileBytes = 1024 * 1024;

// Connections held open at once, whoever made them (every local program reaches the service
// from the one loopback address, so an address says nothing about who a client is). Beyond
// MaxOpenConnections a new connection is answered 503 with Retry-After at once (up to
// MaxRefusingConnections more of those at a time); beyond both it waits in the kernel's
// backlog of ListenBacklog. Both bounds shrink to what the process's descriptors allow.
inline constexpr int MaxOpenConnections = 512;
inline constexpr int MaxRefusingConnections = 256;
inline constexpr int ListenBacklog = 4096;
// Complete requests waiting for a worker; one more is answered 503 with Retry-After.
inline constexpr size_t MaxWaitingRequests = 256;
inline constexpr int RetryAfterSeconds = 1;

// The text of one call (ParseSentences, Synthesise), in bytes as submitted.
inline constexpr size_t MaxTextBytes = 64 * 1024;
// The words one Synthesise may have spoken (after numbers, dates and the like are spelled
// out): about an hour of speech at the slow reading style.
inline constexpr size_t MaxSpokenTextBytes = 48 * 1024;
// The words of one audio item: a sentence with more to say is answered as several items,
// cut at clause boundaries, or word boundaries where a clause is longer (about a minute of
// speech at the slow reading style, well within MaxAudioSecondsPerItem).
inline constexpr size_t MaxPieceSpokenBytes = 1000;
// The audio of one item: far more than any sentence needs.
inline constexpr int MaxAudioSecondsPerItem = 10 * 60;
// The speech engine is one thread for all: the shortest text waiting goes next, unless one
// has waited this long.
inline constexpr int EngineFairnessSeconds = 2;

// A SOAP envelope, checked before the runtime reads it (its reading of many attributes
// grows with their square).
inline constexpr int MaxXmlDepth = 32;          // nested elements
inline constexpr int MaxXmlElements = 4096;     // elements in all
inline constexpr int MaxXmlAttributes = 64;     // attributes of one element

// An XML text (IsXML): nesting of its elements, and what its answer may weigh.
inline constexpr int MaxXmlTextDepth = 64;
inline constexpr size_t MaxSentenceAnswerBytes = 4 * 1024 * 1024;
