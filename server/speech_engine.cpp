#include "server/speech_engine.h"

#include <stdexcept>

#include <espeak-ng/speak_lib.h>

namespace {

// espeak-ng hands the samples to this callback during espeak_Synth (synchronous mode); the
// job's sample vector travels in the event's user data.
int CollectSamples(short *samples, int count, espeak_EVENT *events) {
    if (samples != nullptr && count > 0 && events != nullptr && events->user_data != nullptr) {
        auto *out = static_cast<std::vector<int16_t> *>(events->user_data);
        out->insert(out->end(), samples, samples + count);
    }
    return 0;  // go on
}

}  // namespace

TSpeechEngine::TSpeechEngine() {
    std::promise<void> started;
    std::future<void> ready = started.get_future();
    thread_ = std::thread([this, &started] { Run(started); });
    try {
        ready.get();
    } catch (...) {
        thread_.join();
        throw;
    }
}

TSpeechEngine::~TSpeechEngine() {
    {
        std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::vector<int16_t> TSpeechEngine::Speak(const std::string &utf8, const TVoiceSettings &voice) {
    std::future<std::vector<int16_t>> result;
    {
        std::lock_guard<std::mutex> guard(lock_);
        if (stop_) throw std::runtime_error("the speech engine has stopped");
        jobs_.push_back(TJob{utf8, voice, {}});
        result = jobs_.back().Result.get_future();
    }
    wake_.notify_one();
    return result.get();
}

void TSpeechEngine::Apply(const TVoiceSettings &voice) {
    if (haveVoice_ && voice == current_) return;
    if (!haveVoice_ || voice.Voice != current_.Voice) {
        if (espeak_SetVoiceByName(voice.Voice.c_str()) != EE_OK)
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

void TSpeechEngine::Run(std::promise<void> &started) {
    // DONT_EXIT: a missing data folder is reported, never an exit of the whole server.
    const int rate =
        espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate != SampleRate) {
        if (rate > 0) espeak_Terminate();
        started.set_exception(std::make_exception_ptr(std::runtime_error(
            "espeak-ng could not be initialised (sample rate " + std::to_string(rate) + ")")));
        return;
    }
    espeak_SetSynthCallback(CollectSamples);
    try {
        Apply(TVoiceSettings{});
    } catch (...) {
        espeak_Terminate();
        started.set_exception(std::current_exception());
        return;
    }
    started.set_value();

    for (;;) {
        TJob job;
        {
            std::unique_lock<std::mutex> guard(lock_);
            wake_.wait(guard, [this] { return stop_ || !jobs_.empty(); });
            if (jobs_.empty()) break;  // stopping, and nothing left
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            Apply(job.Voice);
            std::vector<int16_t> samples;
            samples.reserve(job.Text.size() * 1200);
            const espeak_ERROR error =
                espeak_Synth(job.Text.c_str(), job.Text.size() + 1, 0, POS_CHARACTER, 0,
                             espeakCHARS_UTF8, nullptr, &samples);
            if (error != EE_OK) throw std::runtime_error("espeak-ng refused the text");
            job.Result.set_value(std::move(samples));
        } catch (...) {
            job.Result.set_exception(std::current_exception());
        }
    }
    espeak_Terminate();
}
