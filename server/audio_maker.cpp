// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/audio_maker.h"

#include <exception>
#include <optional>

#include "server/file_id.h"
#include "server/speech_file.h"

namespace {

constexpr size_t MaxLinks = 4096;

}  // namespace

TAudioMaker::TAudioMaker(TSpeechSynthesiser &synthesiser, TAudioFileCache &cache)
    : synthesiser_(synthesiser), cache_(cache), worker_([this] { Work(); }) {}

TAudioMaker::~TAudioMaker() {
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        waiting_.clear();
    }
    wake_.notify_all();
    worker_.join();
}

std::string TAudioMaker::Get(const TSynthesisRequest &request,
                             const std::function<bool()> &cancelled) {
    return Make(request, cancelled, true);
}

std::string TAudioMaker::Make(const TSynthesisRequest &request,
                              const std::function<bool()> &cancelled, bool asked) {
    const std::string digest = RequestDigest(request);
    std::promise<std::string> promise;
    TFile file;
    bool mine = false;
    std::optional<TSynthesisRequest> next;
    {
        std::lock_guard<std::mutex> hold(lock_);
        // Only an item a client asked for starts the next: what is made ahead stays one
        // item ahead of the reading.
        if (const auto found = next_.find(digest); asked && found != next_.end())
            next = found->second;
        if (const auto found = inHand_.find(digest); found != inHand_.end()) {
            file = found->second;
        } else {
            file = promise.get_future().share();
            inHand_.emplace(digest, file);
            mine = true;
        }
    }
    // The next item is made once this one is ready to go out, not beside it: on a busy
    // machine the two would share the cores and the first sound would come later.
    const auto startNext = [&] {
        if (!next) return;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (stopping_ || waiting_.size() >= MaxWaiting) return;
            waiting_.push_back(*next);
        }
        wake_.notify_one();
    };
    if (!mine) {
        file.wait();
        startNext();
        return file.get();
    }
    try {
        std::optional<std::string> ogg = cache_.Find(digest);
        if (!ogg) {
            ogg = request.IsPart() ? EncodeSpeechFile(request, *SpeechOf(request, cancelled)).Ogg
                                   : SynthesiseFile(synthesiser_, request, cancelled).Ogg;
            cache_.Store(digest, *ogg);
            std::lock_guard<std::mutex> hold(lock_);
            ++made_;
        }
        promise.set_value(*ogg);
    } catch (...) {
        promise.set_exception(std::current_exception());
    }
    {
        std::lock_guard<std::mutex> hold(lock_);
        inHand_.erase(digest);
    }
    startNext();
    return file.get();
}

std::shared_ptr<const TSpeech> TAudioMaker::SpeechOf(const TSynthesisRequest &part,
                                                     const std::function<bool()> &cancelled) {
    TSynthesisRequest whole = part;
    whole.PartFrom = whole.PartTo = 0;
    const std::string digest = RequestDigest(whole);
    std::promise<std::shared_ptr<const TSpeech>> promise;
    std::shared_future<std::shared_ptr<const TSpeech>> speech;
    {
        std::unique_lock<std::mutex> hold(lock_);
        if (const auto found = speeches_.find(digest); found != speeches_.end()) {
            speech = found->second;  // ready, or the other part's maker is speaking it
            hold.unlock();
            return speech.get();
        }
        speech = promise.get_future().share();
        speeches_.emplace(digest, speech);
        speechOrder_.push_back(digest);
        while (speechOrder_.size() > MaxSpeeches) {
            speeches_.erase(speechOrder_.front());
            speechOrder_.pop_front();
        }
    }
    try {
        auto spoken = std::make_shared<const TSpeech>(synthesiser_.Speak(whole, cancelled));
        {
            std::lock_guard<std::mutex> hold(lock_);
            ++spokenForParts_;
        }
        promise.set_value(std::move(spoken));
    } catch (...) {
        promise.set_exception(std::current_exception());
        // Asked for again, it is spoken again (a client that hung up cancels only its own).
        std::lock_guard<std::mutex> hold(lock_);
        if (const auto found = speeches_.find(digest); found != speeches_.end())
            speeches_.erase(found);
    }
    return speech.get();
}

void TAudioMaker::Ahead(const TSynthesisRequest &request) {
    {
        std::lock_guard<std::mutex> hold(lock_);
        if (stopping_ || waiting_.size() >= MaxWaiting) return;
        waiting_.push_back(request);
    }
    wake_.notify_one();
}

void TAudioMaker::Link(const TSynthesisRequest &request, const TSynthesisRequest &next) {
    const std::string digest = RequestDigest(request);
    std::lock_guard<std::mutex> hold(lock_);
    if (next_.insert_or_assign(digest, next).second) linkOrder_.push_back(digest);
    while (linkOrder_.size() > MaxLinks) {
        next_.erase(linkOrder_.front());
        linkOrder_.pop_front();
    }
}

size_t TAudioMaker::Made() const {
    std::lock_guard<std::mutex> hold(lock_);
    return made_;
}

size_t TAudioMaker::SpokenForParts() const {
    std::lock_guard<std::mutex> hold(lock_);
    return spokenForParts_;
}

void TAudioMaker::Work() {
    for (;;) {
        TSynthesisRequest request;
        {
            std::unique_lock<std::mutex> hold(lock_);
            wake_.wait(hold, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_) return;
            request = std::move(waiting_.front());
            waiting_.pop_front();
            const std::string digest = RequestDigest(request);
            if (inHand_.count(digest) != 0) continue;
        }
        try {
            Make(request, {}, false);
        } catch (const std::exception &) {
            // Asked for again, the item says what is wrong with it.
        }
    }
}
