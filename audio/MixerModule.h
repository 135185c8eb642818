#pragma once
// The contract between the program and the media-player module: the module
// carries SdlMixerPlayer with SDL2_mixer and everything it links (about
// forty libraries, from the MIDI synthesiser to the sound server's client),
// so a show without audio never loads any of them. Both sides are built
// together from this tree, so the player crosses the boundary as a C++
// object.
#include "audio/MediaPlayer.h"

namespace slidora {

// The one function the module exports: a new player, owned by the caller,
// or null when it cannot be made.
using MixerPlayerFactory = MediaPlayer* (*)();
inline constexpr const char* kMixerPlayerFactoryName = "slidora_mixer_player_create";

} // namespace slidora
