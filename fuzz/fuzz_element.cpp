// Element files from fuzzed bytes: the kit editor's whole-sample preview, loading into the
// element table (heads read at once, the rest of each sample by a loader thread), hits on every
// sample set rendered offline, and the MIDI-only loading. Seeds are elements the converter makes.
#include <cmath>

#include "fuzz/fuzz_common.h"
#include "sound/sound.h"

namespace {

// Waits for the loader thread to finish every sample of the slot.
bool WaitForSamples(int slot) {
  for (int i = 0; i < 20000; ++i) {
    bool all = true;
    for (const auto& set : sound.elements[slot].samples->sets)
      for (const auto& sample : set) all = all && sample.sound.IsLoaded();
    if (all) return true;
    usleep(100);
  }
  return false;
}

void CheckSound(const Audio::Sound& s) {
  const uint32_t frames = s.Frames();
  if (frames > 0) FUZZ_CHECK(s.Data() != nullptr);
  if (s.state.load() == 2) FUZZ_CHECK(frames <= s.capacity.load());
}

void Render(int frames) {
  float out[2 * 512];
  while (frames > 0) {
    const int n = frames < 512 ? frames : 512;
    sound.audio.RenderOffline(out, n);
    for (int i = 0; i < 2 * n; ++i) FUZZ_CHECK(std::isfinite(out[i]) && std::fabs(out[i]) <= 1.0f);
    frames -= n;
  }
}

void MakeSeeds(std::vector<std::pair<std::string, fuzz::Bytes>>& seeds) {
  const std::string dir = fuzz::ScratchDir() + "/seeds";
  auto wav = [&](const std::string& rel, int frames, int peak, uint32_t seed) {
    const fuzz::Bytes w = fuzz::Wav(2, 44100, 16, fuzz::Tone(frames, peak, seed));
    fuzz::WriteFile(dir + "/" + rel, w.data(), w.size());
  };
  auto convert = [&](const std::string& name, const std::string& folder, Sound::ElementType type,
                     Sound::ElementCategory category) {
    const std::string out = dir + "/" + name;
    if (!sound.ConvertElement(out.c_str(), dir + "/" + folder, type, category, nullptr)) abort();
    const std::string bytes = fuzz::ReadFile(out);
    seeds.push_back({name, fuzz::Bytes(bytes.begin(), bytes.end())});
  };
  // A hand element: three layers, the middle one long enough for a chunk after its head.
  wav("snare/l/1.wav", 200, 3000, 1);
  wav("snare/l/2.wav", 6144 + 900, 9000, 2);
  wav("snare/r/1.wav", 150, 20000, 3);
  convert("snare.ele", "snare", Sound::SNARE, Sound::CATEGORY_HAND);
  // A foot element.
  wav("kick/a/1.wav", 120, 12000, 4);
  wav("kick/b/1.wav", 100, 15000, 5);
  convert("kick.ele", "kick", Sound::KICK, Sound::CATEGORY_FOOT);
  // A hi-hat: pedal pair and two openness steps.
  wav("hihat/ped/a/1.wav", 80, 8000, 6);
  wav("hihat/ped/b/1.wav", 90, 8000, 7);
  wav("hihat/a/l/1.wav", 100, 7000, 8);
  wav("hihat/a/r/1.wav", 110, 7000, 9);
  wav("hihat/b/l/1.wav", 120, 6000, 10);
  convert("hihat.ele", "hihat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
  // MIDI only: the header and no samples.
  const std::string midi = dir + "/midi.ele";
  if (!Sound::ConvertElement(midi.c_str(), Sound::CRASH, Sound::CATEGORY_HAND)) abort();
  const std::string bytes = fuzz::ReadFile(midi);
  seeds.push_back({"midi.ele", fuzz::Bytes(bytes.begin(), bytes.end())});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::MaybeWriteSeeds(MakeSeeds);
  fuzz::QuietStdout();
  sound.SetMasterVolume(40);
  sound.SetDrumsVolume(100);
  sound.audio.BeginOffline(256);  // no device: the mixer runs on this thread
  sound.audio.StartRawThreads(1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz::ScratchDir() + "/fuzzed.ele";
  fuzz::WriteFile(path, data, size);

  Audio::Sound preview;
  if (sound.LoadRepresentativeSoundFromElement(preview, path.c_str())) {
    FUZZ_CHECK(preview.IsLoaded());
    CheckSound(preview);
    sound.audio.StartSound(preview, 1.0f, 0.0f, false, 0.0f, false);
    Render(300);
    sound.audio.StopAllSounds(false);
    Render(64);
  }
  sound.audio.FreeSound(preview);

  const int slot = sound.LoadElement(path.c_str(), 0.0f, 0, 100, 0, 100);
  if (slot >= 0) {
    FUZZ_CHECK(WaitForSamples(slot));
    const auto& sets = sound.elements[slot].samples->sets;
    FUZZ_CHECK(sets.size() >= 2);
    for (const auto& set : sets)
      for (const auto& sample : set) CheckSound(sample.sound);
    // Hits with both hands and the foot, closed and open, then the sounds die away.
    for (int limb = 0; limb < 3; ++limb)
      for (float openness : {0.0f, 0.6f, 1.0f}) sound.PlayElement(slot, 0.8f, limb, openness, 0.0f);
    sound.FadeHihats(slot);
    Render(700);
    sound.audio.StopAllSounds(false);
    Render(64);
    sound.UnloadElement(slot);
  }

  const int midi = sound.LoadElementWithoutDataForMIDI(path.c_str(), 0.0f, 0, 100, 0, 100);
  if (midi >= 0) sound.UnloadElement(midi);
  return 0;
}
