// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every bound the speech service puts on what one client may ask of it, in one place. A
// request beyond a bound is refused with an answer that names it, before the work starts.

#include <cstddef>
#include <cstdint>

#include "speech/speech_limits.h"  // the engine's bounds on one text, part of the service's

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

// A SOAP envelope, checked before the runtime reads it (its reading of many attributes
// grows with their square).
inline constexpr int MaxXmlDepth = 32;          // nested elements
inline constexpr int MaxXmlElements = 4096;     // elements in all
inline constexpr int MaxXmlAttributes = 64;     // attributes of one element
