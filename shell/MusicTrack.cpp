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

void MusicTrack::close() { closeMusic(player); }
