// The module's only export (MixerModule.map keeps everything else inside).
#include "audio/MixerModule.h"

#include "audio/SdlMixerPlayer.h"

#include "slidora/Export.h"
#include <new>

extern "C" SLIDORA_EXPORT slidora::MediaPlayer* slidora_mixer_player_create() {
    return new (std::nothrow) slidora::SdlMixerPlayer();
}
