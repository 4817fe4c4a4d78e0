#pragma once

// Music playback on SDL2_mixer. Every failure leaves the show silent: one line on stderr and
// nothing else changes; calls on a silent player do nothing.
struct MusicPlayer {
  void* music = nullptr;  // the mixer's loaded track; null: silent
  bool deviceOpen = false;
};

// Opens the audio device (small buffer, so sound lags the picture by little) and loads the file.
void openMusic(MusicPlayer& player, const char* path);
// Starts playback from ms and returns at once; the file plays to its end in the background.
void playMusicFrom(MusicPlayer& player, int ms);
bool musicPlaying(const MusicPlayer& player);
void pauseMusic(MusicPlayer& player);
void resumeMusic(MusicPlayer& player);
// Where the decoder is in the file, in ms; negative when nothing plays or the decoder cannot tell.
double musicPositionMs(const MusicPlayer& player);
void closeMusic(MusicPlayer& player);
