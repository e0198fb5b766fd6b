// Audio device choice with fallbacks, and the device names the audio screens show.
#include <algorithm>
#include <cstdio>

#include "sound/device_messages.h"
#include "sound/sound.h"
#include "sound/wait_notice.h"

bool Sound::ReinitDevice(Audio::DeviceType type, int frames, int index) {
  const WaitNotice notice("changing the audio device");
  audio.CloseStream();
  if (audio.DevicesChanged()) audio.CleanUp(false);  // so that PortAudio lists them anew
  if (type == Audio::kNoOutput) {
    audio.Init(Audio::kNoOutput, 64, false, 1, -1);
    return true;
  }
  if (frames < 1) frames = 1;
  if (frames > Audio::kMaxFramesPerBuffer) frames = Audio::kMaxFramesPerBuffer;
  const int per_meter = std::max(1470 / frames, 1);
  const float reverb = audio.GetReverbAmount();
  if (audio.Init(type, frames, false, per_meter, index)) {
    audio.SetReverbAmount(reverb);
    return true;
  }
  // A failed Init leaves nothing open: the fallbacks follow in the same PortAudio session.
  if (type != Audio::kFirstFallbackStream) {
    if (audio.Init(Audio::kFirstFallbackStream, frames, false, per_meter, index)) {
      audio.SetReverbAmount(reverb);
      return false;
    }
    if (type == Audio::kLastFallbackStream) return false;
  }
  if (audio.Init(Audio::kLastFallbackStream, frames, false, per_meter, index)) {
    audio.SetReverbAmount(reverb);
    return false;
  }
  // Nothing opened: the program runs silently.
  audio.Init(Audio::kNoOutput, 64, false, 1, -1);
  return false;
}

int Sound::GetAudioDeviceIndex() { return audio.GetDeviceIndexInUse(); }

bool Sound::IsAudioDeviceChoiceManual() { return audio.IsDeviceChosenManually(); }

std::string CutDeviceName(const char* name, size_t keep) {
  std::string s = name ? name : "";
  if (s.size() <= keep) return s;
  while (keep > 0 && (static_cast<unsigned char>(s[keep]) & 0xC0) == 0x80) --keep;
  return s.substr(0, keep) + "...";
}

void Sound::GetAudioDeviceNames(std::map<int, std::string>& names) {
  names.clear();
  // PortAudio is initialised while the engine holds it (Init of any type). Probing a device
  // that cannot open makes ALSA print its own lines.
  const DeviceMessageFold device_messages;
  const int count = Pa_GetDeviceCount();
  for (int i = 0; i < count; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (!info || info->maxOutputChannels < 2) continue;
    PaStreamParameters out{};
    out.device = i;
    out.channelCount = 2;
    out.sampleFormat = paFloat32;
    out.suggestedLatency = info->defaultLowOutputLatency;
    if (Pa_IsFormatSupported(nullptr, &out, Audio::kSampleRate) != paFormatIsSupported) continue;
    names[i] = CutDeviceName(info->name, 48);
  }
}

void Sound::GetAudioDeviceName(std::string& name, int index) {
  if (index == -3) index = audio.GetDeviceIndexInUse();
  if (index == -2) {
    name = "None";
    return;
  }
  if (index == -1) {
    name = "Click Apply...";
    return;
  }
  const PaDeviceInfo* info = (index >= 0 && index < Pa_GetDeviceCount()) ? Pa_GetDeviceInfo(index) : nullptr;
  name = info ? CutDeviceName(info->name, 30) : "N/A";
}
