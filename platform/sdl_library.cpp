// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl_library.h"

#include <string>

#include "platform/shared_library.h"

namespace {

struct TLoad {
    TSdlLibrary Library{};
    bool Ok = false;
    std::string Why;
};

TLoad Load() {
    TLoad load;
    // Kept open for the process: SDL's threads run its code until the subsystem stops.
    TSharedLibrary library(SdlLibraryName);
    TSdlLibrary &l = load.Library;
    library.Need("SDL_SetHint", l.SetHint);
    library.Need("SDL_InitSubSystem", l.InitSubSystem);
    library.Need("SDL_QuitSubSystem", l.QuitSubSystem);
    library.Need("SDL_GetError", l.GetError);
    library.Need("SDL_GetNumAudioDevices", l.GetNumAudioDevices);
    library.Need("SDL_OpenAudioDevice", l.OpenAudioDevice);
    library.Need("SDL_PauseAudioDevice", l.PauseAudioDevice);
    library.Need("SDL_CloseAudioDevice", l.CloseAudioDevice);
    load.Ok = library.Ok();
    load.Why = library.Why();
    return load;
}

}  // namespace

const TSdlLibrary *LoadSdlLibrary(const char **why) {
    static const TLoad load = Load();
    if (why) *why = load.Ok ? nullptr : load.Why.c_str();
    return load.Ok ? &load.Library : nullptr;
}
