// The SDL backend of the audio device: one 16-bit stereo output whose
// callback runs our mixer.
#include <SDL.h>

#include <cstring>

#include "platform/audio_impl.h"

namespace {

void SDLCALL MixCallback(void* user, Uint8* stream, int len) {
  auto* dev = static_cast<PlatSoundDevice*>(user);
  size_t frames = size_t(len) / 4;
  std::lock_guard<std::mutex> lock(dev->lock);
  if (!dev->open) {
    std::memset(stream, 0, size_t(len));
    return;
  }
  Audio_MixLocked(*dev, reinterpret_cast<int16_t*>(stream), frames);
}

}  // namespace

int32_t AudioSdl_Open(PlatSoundDevice& dev) {
  if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    return kAudioErrNoDriver;
  SDL_AudioSpec want{};
  want.freq = int(kAudioDeviceRate);
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;
  want.callback = MixCallback;
  want.userdata = &dev;
  SDL_AudioSpec have{};
  SDL_AudioDeviceID id =
      SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
  if (id == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return kAudioErrNoDriver;
  }
  {
    std::lock_guard<std::mutex> lock(dev.lock);
    dev.sdlDevice = id;
    dev.rate = uint32_t(have.freq);
  }
  SDL_PauseAudioDevice(id, 0);
  return kAudioOk;
}

void AudioSdl_Close(PlatSoundDevice& dev) {
  uint32_t id;
  {
    std::lock_guard<std::mutex> lock(dev.lock);
    id = dev.sdlDevice;
    dev.sdlDevice = 0;
  }
  // Closing waits for a running callback, which takes the device lock: the
  // lock must not be held here.
  if (id) SDL_CloseAudioDevice(id);
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
