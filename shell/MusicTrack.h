#pragma once
#include "platform/Audio.h"

// The show's one track, relative to the folder that holds data/.
constexpr const char* showMusicPath = "data/music/tessaloop.mp3";

// The show's soundtrack: opened by path, sought, then played in the background to its end.
struct MusicTrack {
  const char* path = nullptr;  // not copied: the caller passes a constant
  int position = 0;
  MusicPlayer player;

  void open(const char* musicPath);
  void seek(int ms);
  void play(int ms);  // seek, then play; returns at once
  void pause();
  void resume();
  // The decoder's position in ms, negative while silent or stopped.
  double positionMs() const;
  void close();       // stops the music and releases the device; the track is silent after
};
