#include "app/program_sound.h"

#include "app/app_data.h"
#include "app/error_report.h"
#include "app/global_routines.h"

#include <string>

namespace pictorn::app {

void playProgramSound(platform::Services& services, std::string_view soundFile) {
    trap(services.messageBox, kPlaySoundLabel, [&] {
        const std::string path =
            AddTrailingBackslash(services.shell.programFolder()) + std::string(soundFile);
        if (!services.sound.hasWaveDevice()) {
            services.sound.beep();
            return;
        }
        // Someone who removed the sound file asked for silence; a file that is there but
        // will not play (a busy or broken device) still deserves an audible sign.
        if (!FileExists(services.files, path))
            return;
        if (!services.sound.playFileAsync(path))
            services.sound.beep();
    });
}

} // namespace pictorn::app
