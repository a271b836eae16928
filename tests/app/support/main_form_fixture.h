// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the main form's window tests share: wx on the test's main thread (the UI thread), a
// private settings store, SDL's file-writing "disk" sound driver, a scripted person at the
// message box, and a sound device that records what the wave output queues (sentence tag
// and byte count of each block) before handing it to SDL.

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "../../support/fake_host.h"
#include "../../support/temp_config_home.h"
#include "../../ui/support/gui_test.h"
#include "app/form_commercial_tts.h"
#include "foundation/registry.h"
#include "platform/audio_device.h"
#include "platform/audio_device_sdl.h"
#include "ui/wx_text.h"

// Sets (or unsets, for nullopt) an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char *name, std::optional<std::string> value) : name_(name) {
        if (const char *old = getenv(name)) previous_ = old;
        if (value) setenv(name, value->c_str(), 1);
        else unsetenv(name);
    }
    ~ScopedEnv() {
        if (previous_) setenv(name_, previous_->c_str(), 1);
        else unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    const char *name_;
    std::optional<std::string> previous_;
};

// The blocks written to the device, in order.
struct TWrittenBlock {
    uintptr_t Tag;
    int32_t Length;
};

class TRecordingAudioDevice : public TAudioDevice {
public:
    explicit TRecordingAudioDevice(std::shared_ptr<std::vector<TWrittenBlock>> log,
                                   std::shared_ptr<std::mutex> lock)
        : inner_(std::make_unique<TSdlAudioDevice>()), log_(std::move(log)), lock_(std::move(lock)) {}
    int32_t OutputDeviceCount() override { return inner_->OutputDeviceCount(); }
    int32_t Open(const TAudioFormat &format, TDoneCallback onDone, bool queryOnly) override {
        return inner_->Open(format, std::move(onDone), queryOnly);
    }
    bool IsOpen() const override { return inner_->IsOpen(); }
    int32_t Prepare(TAudioBuffer &buffer) override { return inner_->Prepare(buffer); }
    int32_t Unprepare(TAudioBuffer &buffer) override { return inner_->Unprepare(buffer); }
    int32_t Write(TAudioBuffer &buffer) override {
        {
            std::lock_guard<std::mutex> guard(*lock_);
            log_->push_back({buffer.User, buffer.Length});
        }
        return inner_->Write(buffer);
    }
    int32_t Pause() override { return inner_->Pause(); }
    int32_t Restart() override { return inner_->Restart(); }
    int32_t Reset() override { return inner_->Reset(); }
    int32_t Close() override { return inner_->Close(); }
    std::string ErrorText(int32_t code) const override { return inner_->ErrorText(code); }

private:
    std::unique_ptr<TAudioDevice> inner_;
    std::shared_ptr<std::vector<TWrittenBlock>> log_;
    std::shared_ptr<std::mutex> lock_;
};

// A stand-in for xdg-open on PATH that writes its arguments to a file.
class FakeOpener {
public:
    explicit FakeOpener(const std::string &folder) : log_(folder + "/opened.txt") {
        const std::string script = folder + "/xdg-open";
        std::ofstream(script) << "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" << log_ << "'\n";
        chmod(script.c_str(), 0755);
        path_.emplace("PATH", folder + ":" + std::string(getenv("PATH") ? getenv("PATH") : ""));
    }
    std::string Opened() const { return TempConfigHome::ReadFile(log_); }

private:
    std::string log_;
    std::optional<ScopedEnv> path_;
};

class MainFormTest : public GuiTest {
protected:
    void SetUp() override {
        previousFactory_ = SetAudioDeviceFactory([log = written_, lock = writtenLock_] {
            return std::make_unique<TRecordingAudioDevice>(log, lock);
        });
    }
    void TearDown() override {
        GuiTest::TearDown();
        SetAudioDeviceFactory(std::move(previousFactory_));
    }

    // Writes a settings value under HKEY_CURRENT_USER.
    static void WriteSetting(const char *key, const char16_t *name, const std::string &text) {
        TRegistry registry(HKEY_CURRENT_USER, key);
        registry.CreateIfMissing = true;
        registry.WriteString(name, text.data(), int32_t(text.size()));
    }
    static void WriteSetting(const char *key, const char16_t *name, int32_t value) {
        TRegistry registry(HKEY_CURRENT_USER, key);
        registry.CreateIfMissing = true;
        registry.WriteInt(name, value);
    }

    // A form with its window (modeless, hidden unless shown).
    static std::unique_ptr<TFormCommercialTTS> OpenForm(bool show = true) {
        auto form = std::make_unique<TFormCommercialTTS>();
        EXPECT_TRUE(form->Create());
        if (show) form->Dialog()->Show();
        Pump();
        return form;
    }

    // Window texts as shown, in Windows-1254 (a button's mnemonic mark left out).
    static std::string LabelOf(wxWindow *w) { return w ? FromWx(ShownLabel(w)) : "(no window)"; }

    std::vector<TWrittenBlock> Written() {
        std::lock_guard<std::mutex> guard(*writtenLock_);
        return *written_;
    }

    TempConfigHome config_;
    ScopedEnv audioDriver_{"SDL_AUDIODRIVER", "disk"};
    ScopedEnv audioFile_{"SDL_DISKAUDIOFILE", config_.Folder() + "/sound.raw"};
    std::shared_ptr<std::vector<TWrittenBlock>> written_ = std::make_shared<std::vector<TWrittenBlock>>();
    std::shared_ptr<std::mutex> writtenLock_ = std::make_shared<std::mutex>();
    TAudioDeviceFactory previousFactory_;
};
