// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TAudioMaker: the audio file of a synthesis request, from the cache or made now, and the
// files a reading will ask for next made ahead on a thread of its own.
//
// A file asked for while it is being made (ahead, or for another client) is waited for,
// never made twice in one process. Made ahead are only the items named by Ahead, in order,
// at most MaxWaiting waiting; the cache keeps them until they are fetched. The parts of one
// sentence (IsPart) are cut from one speech: the last MaxSpeeches speeches are kept (or
// waited for while being spoken), so making the next part costs only its encoding.

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/audio_file_cache.h"
#include "speech/speech_synthesiser.h"
#include "speech/synthesis_request.h"

class TAudioMaker {
public:
    static constexpr size_t MaxWaiting = 16;
    static constexpr size_t MaxSpeeches = 8;

    TAudioMaker(TSpeechSynthesiser &synthesiser, TAudioFileCache &cache);
    ~TAudioMaker();  // forgets what waits, finishes the item in hand
    TAudioMaker(const TAudioMaker &) = delete;
    TAudioMaker &operator=(const TAudioMaker &) = delete;

    // The file of `request`. Throws what TSpeechSynthesiser::Synthesise throws; `cancelled`
    // stops a file this call makes itself (one made ahead or for another client is waited for).
    std::string Get(const TSynthesisRequest &request, const std::function<bool()> &cancelled = {});
    // Makes `request`'s file on the maker's thread unless it is cached, in hand, or too many
    // wait already.
    void Ahead(const TSynthesisRequest &request);
    // Remembers that `next` follows `request` in a reading: once `request` is asked for,
    // `next` is made ahead. Bounded: the oldest links are forgotten.
    void Link(const TSynthesisRequest &request, const TSynthesisRequest &next);

    // Files made so far (by Get and ahead), and speeches spoken for parts: for tests and
    // benchmarks.
    size_t Made() const;
    size_t SpokenForParts() const;

private:
    using TFile = std::shared_future<std::string>;
    // `asked`: by a client (starts the linked next item), not ahead.
    std::string Make(const TSynthesisRequest &request, const std::function<bool()> &cancelled,
                     bool asked);
    void Work();
    // The speech of the whole of which `part` is a part, spoken now or kept.
    std::shared_ptr<const TSpeech> SpeechOf(const TSynthesisRequest &part,
                                            const std::function<bool()> &cancelled);

    TSpeechSynthesiser &synthesiser_;
    TAudioFileCache &cache_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::map<std::string, TFile> inHand_;            // by digest
    std::deque<TSynthesisRequest> waiting_;
    std::map<std::string, TSynthesisRequest> next_;  // by digest of the one before
    std::deque<std::string> linkOrder_;
    std::map<std::string, std::shared_future<std::shared_ptr<const TSpeech>>>
        speeches_;  // by digest
    std::deque<std::string> speechOrder_;
    size_t made_ = 0;
    size_t spokenForParts_ = 0;
    bool stopping_ = false;
    std::thread worker_;
};
