// The system sound device over SDL2 audio, with the fall-back to SDL's silent
// "dummy" driver on machines without a sound card. Opened and closed on the main
// thread; SDL's audio thread runs the mixer through the callback.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/sound_device.h"

namespace platform {
namespace {

class SdlSoundDevice final : public SoundDevice {
 public:
  SdlSoundDevice() : SoundDevice(true) {}
  ~SdlSoundDevice() override {
    if (mDeviceId != 0) SDL_CloseAudioDevice(mDeviceId);
    if (mSubsystemStarted) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    if (mDriverStarted) SDL_AudioQuit();
  }

  bool open() {
    const char* pForced = SDL_getenv("SDL_AUDIODRIVER");
    std::string reason;
    if (pForced && pForced[0]) {
      // The user's choice, as SDL itself would take it.
      mSubsystemStarted = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
      if (mSubsystemStarted) mDeviceId = openDevice();
      if (mDeviceId != 0) return true;
      reason = SDL_GetError();
      if (mSubsystemStarted) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        mSubsystemStarted = false;
      }
    } else if (openFirstWorkingDriver(reason)) {
      return true;
    }

    // The show must still run to time without a sound card: the dummy driver
    // consumes samples at the real rate, so the music and the clock go on silently.
    reportFallbackOnce(reason.c_str());
    if (SDL_AudioInit("dummy") != 0) return false;
    mDriverStarted = true;
    mDeviceId = openDevice();
    return mDeviceId != 0;
  }

  const char* getDriverName() const override {
    const char* name = SDL_GetCurrentAudioDriver();
    return name ? name : "none";
  }

  f64 getOutputLatencySeconds() const override { return mLatencySeconds; }

 private:
  SDL_AudioDeviceID openDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = kSampleRate;
    wanted.format = AUDIO_S16LSB;
    wanted.channels = kChannels;
    wanted.samples = 1024;
    wanted.callback = &SdlSoundDevice::callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts, so the mixer always sees its own format.
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (id != 0) {
      mLatencySeconds = outputLatency(SDL_GetCurrentAudioDriver(), obtained);
      SDL_PauseAudioDevice(id, 0);
    }
    return id;
  }

  // SDL's drivers in its own order, except the silent ones, and ALSA (and
  // sndio, which uses it) on a machine without a sound card: the ALSA library
  // would print several lines of its own before failing.
  bool openFirstWorkingDriver(std::string& reason) {
    for (int i = 0, count = SDL_GetNumAudioDrivers(); i < count; ++i) {
      const std::string driver = SDL_GetAudioDriver(i);
      const bool needsCard = driver == "alsa" || driver == "sndio";  // sndio plays through ALSA here
      if (driver == "dummy" || driver == "disk" || (needsCard && !hasAlsaCard())) continue;
      if (SDL_AudioInit(driver.c_str()) != 0) continue;
      mDriverStarted = true;
      mDeviceId = openDevice();
      if (mDeviceId != 0) return true;
      reason = driver + ": " + SDL_GetError();
      SDL_AudioQuit();
      mDriverStarted = false;
    }
    if (reason.empty()) reason = "no sound card and no sound server";
    return false;
  }

  static bool hasAlsaCard() {
    std::FILE* pCards = std::fopen("/proc/asound/cards", "r");
    if (!pCards) return false;
    char line[128] = {};
    const bool any = std::fgets(line, sizeof line, pCards) && !std::strstr(line, "no soundcards");
    std::fclose(pCards);
    return any;
  }

  static void callback(void* pUser, Uint8* pStream, int length) {
    static_cast<SdlSoundDevice*>(pUser)->mix(reinterpret_cast<s16*>(pStream),
                                            static_cast<u32>(length) / (kChannels * 2));
  }

  static void reportFallbackOnce(const char* reason) {
    static std::atomic<bool> reported{false};
    if (reported.exchange(true)) return;
    std::fprintf(stderr,
                 "Sound: no audio device could be opened (%s); the music plays on SDL's "
                 "silent dummy driver.\n",
                 reason && reason[0] ? reason : "unknown reason");
  }

  // SDL reports no latency of its own, only the block it mixes (`samples`).
  // The silent drivers consume a block while they wait after mixing it, as the
  // mixer's clock assumes; ALSA queues the block behind two periods of that
  // size; the sound servers behind about one.
  static f64 outputLatency(const char* pDriver, const SDL_AudioSpec& obtained) {
    if (obtained.freq <= 0) return 0.0;
    const std::string driver = pDriver ? pDriver : "";
    if (driver == "dummy" || driver == "disk") return 0.0;
    const f64 block = static_cast<f64>(obtained.samples) / obtained.freq;
    return driver == "alsa" ? 2.0 * block : block;
  }

  SDL_AudioDeviceID mDeviceId = 0;
  f64 mLatencySeconds = 0.0;
  bool mSubsystemStarted = false;
  bool mDriverStarted = false;
};

}  // namespace

std::unique_ptr<SoundDevice> openSystemSoundDevice() {
  auto device = std::make_unique<SdlSoundDevice>();
  if (!device->open()) return nullptr;
  return device;
}

}  // namespace platform
