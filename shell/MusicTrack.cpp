#include "shell/MusicTrack.h"

void MusicTrack::open(const char* musicPath) {
  path = musicPath;
  openMusic(player, path);
}

void MusicTrack::seek(int ms) { position = ms; }

void MusicTrack::play(int ms) {
  seek(ms);
  playMusicFrom(player, position);
}

void MusicTrack::pause() { pauseMusic(player); }

void MusicTrack::resume() { resumeMusic(player); }

double MusicTrack::positionMs() const { return musicPositionMs(player); }

void MusicTrack::close() { closeMusic(player); }
