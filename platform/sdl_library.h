// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SDL2, loaded the first time the sound device starts (dlopen), not linked: a program that
// plays nothing (a reading into a WAVE or Ogg file, the settings tool) never maps it nor
// the libraries it brings (X11, Wayland, PulseAudio, ALSA, D-Bus...), and starts that much
// lighter. The headers give the types and constants; the functions come from here.

#include <SDL2/SDL.h>

struct TSdlLibrary {
    decltype(&SDL_SetHint) SetHint;
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_QuitSubSystem) QuitSubSystem;
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_GetNumAudioDevices) GetNumAudioDevices;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
};

// The library's name as the system installs it (Debian's libsdl2-2.0-0).
inline constexpr const char *SdlLibraryName = "libSDL2-2.0.so.0";

// SDL2's functions, loaded once for the process (thread-safe); null, with `why` set, when
// it cannot be loaded.
const TSdlLibrary *LoadSdlLibrary(const char **why);
