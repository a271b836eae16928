// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/sdl_library.h"

#include <dlfcn.h>

#include <string>
#include <type_traits>

namespace {

struct TLoad {
    TSdlLibrary Library{};
    bool Ok = false;
    std::string Why;
};

TLoad Load() {
    TLoad load;
    // Kept open for the process: SDL's threads run its code until the subsystem stops.
    void *handle = ::dlopen(SdlLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *error = ::dlerror();
        load.Why = std::string(SdlLibraryName) + " could not be loaded: " + (error ? error : "");
        return load;
    }
    TSdlLibrary &l = load.Library;
    const char *missing = nullptr;
    const auto need = [&](const char *name, auto &function) {
        if (missing) return;
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(::dlsym(handle, name));
        if (!function) missing = name;
    };
    need("SDL_SetHint", l.SetHint);
    need("SDL_InitSubSystem", l.InitSubSystem);
    need("SDL_QuitSubSystem", l.QuitSubSystem);
    need("SDL_GetError", l.GetError);
    need("SDL_GetNumAudioDevices", l.GetNumAudioDevices);
    need("SDL_OpenAudioDevice", l.OpenAudioDevice);
    need("SDL_PauseAudioDevice", l.PauseAudioDevice);
    need("SDL_CloseAudioDevice", l.CloseAudioDevice);
    if (missing) {
        load.Why = std::string(SdlLibraryName) + " has no " + missing;
        return load;
    }
    load.Ok = true;
    return load;
}

}  // namespace

const TSdlLibrary *LoadSdlLibrary(const char **why) {
    static const TLoad load = Load();
    if (why) *why = load.Ok ? nullptr : load.Why.c_str();
    return load.Ok ? &load.Library : nullptr;
}
