// SPDX-License-Identifier: GPL-3.0-or-later
#include "speech/speech_engine.h"

#include <algorithm>
#include <stdexcept>

#include <espeak-ng/speak_lib.h>

#include "speech/speech_limits.h"

// espeak-ng (1.51) opens a sound output in every mode, synchronous too, through the audio
// library it is built with: a connection to the user's sound server and, with none running,
// a runtime folder left behind on every start. The service only ever takes the samples, so
// this program answers that library's "open a device" itself, with none; espeak-ng then
// synthesises as before and never plays. The definition in the program takes precedence over
// the library's for espeak-ng's call.
extern "C" __attribute__((visibility("default"))) struct audio_object *create_audio_device_object(
    const char *, const char *, const char *) {
    return nullptr;
}

namespace {

// What one espeak_Synth call collects, and why it stopped early.
struct TCollecting {
    std::vector<int16_t> Samples;
    size_t MaxSamples;
    const std::function<bool()> *Cancelled;
    std::vector<TWordStart> *Words;
    const std::function<bool(const int16_t *, size_t)> *OnSamples = nullptr;
    size_t Handed = 0;  // samples handed to OnSamples
    unsigned Calls = 0;
    bool TooLong = false;
    bool WasCancelled = false;
};

// espeak-ng hands the samples to this callback during espeak_Synth (synchronous mode); the
// job's collection travels in the event's user data. Returning 1 stops the speech.
int CollectSamples(short *samples, int count, espeak_EVENT *events) {
    if (events == nullptr || events->user_data == nullptr) return 0;
    auto &collecting = *static_cast<TCollecting *>(events->user_data);
    if (collecting.Words)
        for (const espeak_EVENT *event = events; event->type != espeakEVENT_LIST_TERMINATED;
             ++event)
            if (event->type == espeakEVENT_WORD && event->text_position > 0 &&
                event->audio_position >= 0)
                collecting.Words->push_back(
                    {size_t(event->text_position - 1), size_t(event->audio_position)});
    if (samples != nullptr && count > 0 && collecting.OnSamples && *collecting.OnSamples) {
        if (collecting.Handed + size_t(count) > collecting.MaxSamples) {
            collecting.TooLong = true;
            return 1;
        }
        collecting.Handed += size_t(count);
        if (!(*collecting.OnSamples)(samples, size_t(count))) {
            collecting.WasCancelled = true;
            return 1;
        }
    } else if (samples != nullptr && count > 0) {
        if (collecting.Samples.size() + size_t(count) > collecting.MaxSamples) {
            collecting.TooLong = true;
            return 1;
        }
        collecting.Samples.insert(collecting.Samples.end(), samples, samples + count);
    }
    // Asking costs a system call: every few blocks is soon enough.
    if (*collecting.Cancelled && ++collecting.Calls % 8 == 0 && (*collecting.Cancelled)()) {
        collecting.WasCancelled = true;
        return 1;
    }
    return 0;  // go on
}

// espeak-ng finds a voice by its name only after reading every voice definition it has
// (hundreds of files); named by its file, the voice's own definition is read alone, and it
// sounds the same to the bit. The name stays the way in for any other voice and any other
// layout of espeak-ng's data.
bool SetVoiceByFile(const std::string &name) {
    if (name != "tr") return false;
    return espeak_SetVoiceByName("trk/tr") == EE_OK;
}

}  // namespace

// A failed load throws out of the body of a delegating constructor, so the destructor runs
// and joins the thread, which has ended itself.
TSpeechEngine::TSpeechEngine() : TSpeechEngine(TLoadInBackground{}, true) { Ready(); }

TSpeechEngine::TSpeechEngine(TLoadInBackground) : TSpeechEngine(TLoadInBackground{}, false) {}

TSpeechEngine::TSpeechEngine(TLoadInBackground, bool listVoices) : listVoices_(listVoices) {
    loaded_ = loading_.get_future().share();
    thread_ = std::thread([this] { Run(); });
}

void TSpeechEngine::Ready() { loaded_.get(); }

TSpeechEngine::~TSpeechEngine() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::vector<int16_t> TSpeechEngine::Speak(const std::string &utf8, const TVoiceSettings &voice,
                                          size_t maxSamples, std::function<bool()> cancelled,
                                          std::vector<TWordStart> *words,
                                          std::function<bool(const int16_t *, size_t)> onSamples) {
    // A failed load is told to every caller; a load still under way lets the text queue.
    if (loaded_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) loaded_.get();
    std::future<std::vector<int16_t>> result;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stop_) {
            // Stopped by a failed load: say why.
            if (loaded_.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
                loaded_.get();
            throw std::runtime_error("the speech engine has stopped");
        }
        jobs_.push_back(TJob{utf8,
                             voice,
                             maxSamples,
                             std::move(cancelled),
                             words,
                             std::move(onSamples),
                             std::chrono::steady_clock::now(),
                             {}});
        result = jobs_.back().Result.get_future();
    }
    wake_.notify_one();
    return result.get();
}

std::deque<TSpeechEngine::TJob>::iterator TSpeechEngine::NextJob() {
    // The oldest first once it has waited long enough; otherwise the shortest text, so a
    // sentence never waits long behind a long one.
    const auto oldest = jobs_.begin();
    if (std::chrono::steady_clock::now() - oldest->Queued >=
        std::chrono::seconds(EngineFairnessSeconds))
        return oldest;
    return std::min_element(jobs_.begin(), jobs_.end(), [](const TJob &a, const TJob &b) {
        return a.Text.size() < b.Text.size();
    });
}

void TSpeechEngine::Apply(const TVoiceSettings &voice) {
    if (haveVoice_ && voice == current_) return;
    if (!haveVoice_ || voice.Voice != current_.Voice) {
        if (!SetVoiceByFile(voice.Voice) && espeak_SetVoiceByName(voice.Voice.c_str()) != EE_OK)
            throw std::runtime_error("espeak-ng has no voice " + voice.Voice);
    }
    espeak_SetParameter(espeakRATE, voice.Rate, 0);
    espeak_SetParameter(espeakWORDGAP, voice.WordGap, 0);
    espeak_SetParameter(espeakPITCH, voice.Pitch, 0);
    espeak_SetParameter(espeakRANGE, voice.Range, 0);
    espeak_SetParameter(espeakVOLUME, voice.Volume, 0);
    current_ = voice;
    haveVoice_ = true;
}

bool TSpeechEngine::Load() {
    // DONT_EXIT: a missing data folder is reported, never an exit of the whole server.
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate != SampleRate) {
        if (rate > 0) espeak_Terminate();
        loading_.set_exception(std::make_exception_ptr(std::runtime_error(
            "espeak-ng could not be initialised (sample rate " + std::to_string(rate) + ")")));
        return false;
    }
    espeak_SetSynthCallback(CollectSamples);
    try {
        Apply(TVoiceSettings{});
    } catch (...) {
        espeak_Terminate();
        loading_.set_exception(std::current_exception());
        return false;
    }
    // Listing the voices reads every voice file espeak-ng has: only for a caller that asks
    // for them (the blocking constructor), never on a service's cold start.
    if (listVoices_)
        for (const espeak_VOICE **voice = espeak_ListVoices(nullptr); voice && *voice; ++voice)
            if ((*voice)->name && (*voice)->languages && (*voice)->languages[0] != '\0')
                voices_.push_back({(*voice)->name, (*voice)->languages + 1});  // after the priority byte
    loading_.set_value();
    return true;
}

void TSpeechEngine::Run() {
    if (!Load()) {
        // Nothing will be spoken: the texts that queued meanwhile, and any later, get the
        // loading's failure.
        std::deque<TJob> waiting;
        {
            std::lock_guard<std::mutex> guard(lock_);
            stop_ = true;
            waiting.swap(jobs_);
        }
        for (TJob &job : waiting) {
            try {
                loaded_.get();
            } catch (...) {
                job.Result.set_exception(std::current_exception());
            }
        }
        return;
    }

    for (;;) {
        TJob job;
        {
            std::unique_lock<std::mutex> guard(lock_);
            wake_.wait(guard, [this] { return stop_ || !jobs_.empty(); });
            if (jobs_.empty()) break;  // stopping, and nothing left
            const auto next = NextJob();
            job = std::move(*next);
            jobs_.erase(next);
        }
        try {
            if (job.Cancelled && job.Cancelled())
                throw TSpeechCancelled("the speech is no longer wanted");
            Apply(job.Voice);
            if (job.Words) job.Words->clear();
            TCollecting collecting{{}, job.MaxSamples, &job.Cancelled, job.Words, &job.OnSamples};
            // About what a text's speech takes (some 600 samples a byte), within its bound.
            if (!job.OnSamples)
                collecting.Samples.reserve(std::min(job.Text.size() * 600, job.MaxSamples));
            const espeak_ERROR error =
                espeak_Synth(job.Text.c_str(), job.Text.size() + 1, 0, POS_CHARACTER, 0,
                             espeakCHARS_UTF8, nullptr, &collecting);
            if (collecting.TooLong) throw TSpeechTooLong("the speech is longer than its bound");
            if (collecting.WasCancelled) throw TSpeechCancelled("the speech is no longer wanted");
            if (error != EE_OK) throw std::runtime_error("espeak-ng refused the text");
            job.Result.set_value(std::move(collecting.Samples));
        } catch (...) {
            job.Result.set_exception(std::current_exception());
        }
    }
    espeak_Terminate();
}
