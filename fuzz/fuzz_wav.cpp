// The audio engine's WAV and Ogg Vorbis decoders on fuzzed bytes, from an exact-size copy in
// memory and from a file. A decoded sound must be whole: data for every frame it claims.
#include <memory>

#include "fuzz/fuzz_common.h"
#include "sound/audio.h"

namespace {

Audio* audio = nullptr;

void CheckAndFree(Audio::Sound& s, bool ok) {
  if (ok) {
    FUZZ_CHECK(s.IsLoaded());
    const uint32_t frames = s.Frames();
    FUZZ_CHECK(frames > 0 && s.Data() != nullptr);
    // Every frame readable (the sanitizer reports a read past the buffer).
    const int16_t* d = s.Data();
    int64_t sum = 0;
    for (uint32_t i = 0; i < 2 * frames; i += 97) sum += d[i];
    sum += d[2 * frames - 1];
    (void)sum;
  }
  audio->FreeSound(s);
}

void MakeSeeds(std::vector<std::pair<std::string, fuzz::Bytes>>& seeds) {
  std::vector<int> mono, stereo, wide;
  for (int i = 0; i < 64; ++i) {
    mono.push_back((i % 16) * 2000 - 16000);
    stereo.push_back((i % 8) * 4000 - 16000);
    stereo.push_back(-(i % 8) * 4000);
  }
  for (int i = 0; i < 48; ++i) wide.push_back((i * 123457) % 8388607 - 4194303);
  seeds.push_back({"stereo16.wav", fuzz::Wav(2, 44100, 16, stereo)});
  seeds.push_back({"mono16-22050.wav", fuzz::Wav(1, 22050, 16, mono)});
  std::vector<int> bytes8;
  for (int v : mono) bytes8.push_back((v >> 8) + 128);
  seeds.push_back({"mono8-11025.wav", fuzz::Wav(1, 11025, 8, bytes8)});
  seeds.push_back({"stereo24-48000.wav", fuzz::Wav(2, 48000, 24, wide)});
  seeds.push_back({"four24.wav", fuzz::Wav(4, 44100, 24, wide)});
  // A JUNK chunk before "fmt ", an odd chunk between "fmt " and "data".
  fuzz::Bytes junk = fuzz::Wav(2, 44100, 16, stereo);
  const fuzz::Bytes chunk = {'J', 'U', 'N', 'K', 4, 0, 0, 0, 1, 2, 3, 4};
  junk.insert(junk.begin() + 12, chunk.begin(), chunk.end());
  const fuzz::Bytes list = {'L', 'I', 'S', 'T', 2, 0, 0, 0, 'a', 'b'};
  junk.insert(junk.begin() + 12 + 12 + 24, list.begin(), list.end());
  seeds.push_back({"junk.wav", junk});
  // A short Ogg Vorbis file, when sox can write one.
  const std::string ogg = fuzz::ScratchDir() + "/seed.ogg";
  const std::string cmd = "sox -q -n -r 44100 -c 2 -C 0 '" + ogg + "' synth 0.02 sine 440 2>/dev/null";
  if (system(cmd.c_str()) == 0) {
    const std::string b = fuzz::ReadFile(ogg);
    if (!b.empty()) seeds.push_back({"tone.ogg", fuzz::Bytes(b.begin(), b.end())});
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::MaybeWriteSeeds(MakeSeeds);
  fuzz::QuietStdout();
  audio = new Audio;  // no device is ever opened
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  std::unique_ptr<unsigned char[]> exact(new unsigned char[size > 0 ? size : 1]);
  memcpy(exact.get(), data, size);
  const int n = static_cast<int>(size);

  Audio::Sound wav;
  CheckAndFree(wav, audio->LoadWavFromMemory(wav, size ? exact.get() : nullptr, n, 4));

  Audio::Sound ogg;
  CheckAndFree(ogg, audio->LoadOggFromMemory(ogg, exact.get(), n, 1));

  // From a file, as sample folders and songs are read.
  const std::string path = fuzz::ScratchDir() + "/fuzzed";
  fuzz::WriteFile(path, data, size);
  Audio::Sound from_file;
  CheckAndFree(from_file, audio->LoadWav(from_file, path.c_str(), 4));
  return 0;
}
