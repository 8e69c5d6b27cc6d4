#include "app/program_sound.h"
#include "platform/headless/headless_services.h"

#include <gtest/gtest.h>

namespace pictorn::app {
namespace {

TEST(ProgramSound, PlaysTheFileFromTheProgramFolder) {
    headless::HeadlessServices platform;
    platform.shell.folder = "C:\\Program Files\\Pictorn\\";
    platform.files.addFile("C:\\Program Files\\Pictorn\\pictorn.wav");
    playProgramSound(platform.services, kCaptureSoundFile);
    EXPECT_EQ(platform.sound.played,
              std::vector<std::string>{"C:\\Program Files\\Pictorn\\pictorn.wav"});
    EXPECT_EQ(platform.sound.beeps, 0);
}

TEST(ProgramSound, BeepsWithoutDeviceOrWhenPlayingFailsButStaysQuietForAMissingFile) {
    headless::HeadlessServices platform;
    platform.files.addFile(platform.shell.folder + "pictorn.wav");
    platform.sound.waveDevice = false;
    playProgramSound(platform.services, kCaptureSoundFile);
    EXPECT_EQ(platform.sound.beeps, 1);
    EXPECT_TRUE(platform.sound.played.empty());

    platform.sound.waveDevice = true;
    platform.sound.playSucceeds = false;
    playProgramSound(platform.services, kCaptureSoundFile);
    EXPECT_EQ(platform.sound.beeps, 2);

    platform.files.remove(platform.shell.folder + "pictorn.wav");
    playProgramSound(platform.services, kCaptureSoundFile);
    EXPECT_EQ(platform.sound.beeps, 2);
    EXPECT_EQ(platform.sound.played.size(), 1u);
    EXPECT_TRUE(platform.messageBox.shown.empty());
}

} // namespace
} // namespace pictorn::app
