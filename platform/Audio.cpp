#include "platform/Audio.h"

#include "platform/Host.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {
// The sound libraries print pages of their own when no device answers; the show's one line
// says all a viewer needs, so their chatter is muted while the device is opened.
struct QuietStderr {
  int saved = -1;
  QuietStderr() {
    std::fflush(stderr);
    saved = dup(2);
    int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, 2);
      ::close(null);
    }
  }
  ~QuietStderr() {
    if (saved >= 0) {
      dup2(saved, 2);
      ::close(saved);
    }
  }
};

Mix_Music* track(const MusicPlayer& p) { return static_cast<Mix_Music*>(p.music); }

bool openDevice() {
  QuietStderr quiet;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  Mix_Init(MIX_INIT_MP3);
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}
}  // namespace

void openMusic(MusicPlayer& p, const char* path) {
  if (!openDevice()) {
    std::fprintf(stderr, "kelvarn: no audio device (%s); the show plays silent\n", SDL_GetError());
    return;
  }
  p.deviceOpen = true;
  p.music = Mix_LoadMUS(path);
  if (!p.music)
    std::fprintf(stderr, "kelvarn: cannot play %s (%s); the show plays silent\n", path,
                 Mix_GetError());
}

void playMusicFrom(MusicPlayer& p, int ms) {
  if (!p.music) return;
  if (Mix_FadeInMusicPos(track(p), 0, 0, ms / 1000.0) != 0)
    std::fprintf(stderr, "kelvarn: music does not start (%s); the show plays silent\n",
                 Mix_GetError());
  else
    hostMusicStarted(static_cast<uint32_t>(ms));
}

bool musicPlaying(const MusicPlayer& p) { return p.music && Mix_PlayingMusic(); }

void pauseMusic(MusicPlayer& p) {
  if (!p.music) return;
  Mix_PauseMusic();
  hostMusicHeld(true);
}

void resumeMusic(MusicPlayer& p) {
  if (!p.music) return;
  Mix_ResumeMusic();
  hostMusicHeld(false);
}

double musicPositionMs(const MusicPlayer& p) {
  if (!p.music || !Mix_PlayingMusic()) return -1.0;
  double seconds = Mix_GetMusicPosition(track(p));
  return seconds < 0 ? -1.0 : seconds * 1000.0;
}

void closeMusic(MusicPlayer& p) {
  if (p.music) {
    hostMusicHeld(true);
    Mix_HaltMusic();
    Mix_FreeMusic(track(p));
  }
  if (p.deviceOpen) {
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  p = MusicPlayer{};
}
