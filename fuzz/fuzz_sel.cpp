// Performance recordings (.sel) from fuzzed bytes: the reader, the recordings list's metadata,
// and loading the recording for playback (its elements and songs), played for a moment offline.
// Loading for playback restarts the sample loader threads, which takes a few hundred
// milliseconds, so only recordings whose description begins with "play" go that far. The
// loaders are stopped again before the input ends: the in-process leak check cannot see into
// threads born during the input, and would take their buffers for leaks.
#include <cmath>

#include "fuzz/fuzz_common.h"
#include "sound/sel_reader.h"
#include "sound/sound.h"

namespace {

void Render(int frames) {
  float out[2 * 512];
  while (frames > 0) {
    const int n = frames < 512 ? frames : 512;
    sound.audio.RenderOffline(out, n);
    for (int i = 0; i < 2 * n; ++i) FUZZ_CHECK(std::isfinite(out[i]));
    frames -= n;
  }
}

// Two small elements in data/elements/ under the working folder, for recordings to refer to.
void MakeElements() {
  auto wav = [](const std::string& rel, int frames, int peak, uint32_t seed) {
    const fuzz::Bytes w = fuzz::Wav(2, 44100, 16, fuzz::Tone(frames, peak, seed));
    fuzz::WriteFile("samples/" + rel, w.data(), w.size());
  };
  wav("snare/l/1.wav", 300, 6000, 1);
  wav("snare/l/2.wav", 400, 20000, 2);
  wav("kick/a/1.wav", 300, 15000, 3);
  std::filesystem::create_directories("data/elements");
  if (!sound.ConvertElement("data/elements/snare.ele", "samples/snare", Sound::SNARE, Sound::CATEGORY_HAND, nullptr) ||
      !sound.ConvertElement("data/elements/kick.ele", "samples/kick", Sound::KICK, Sound::CATEGORY_FOOT, nullptr))
    abort();
}

fuzz::Bytes Recording(int version, bool with_song, const char* description = "groove") {
  fuzz::Bytes b = {'S', 'E', 'L', static_cast<uint8_t>('0' + version)};
  const uint32_t events = with_song ? 7 : 5;
  fuzz::PutU32(b, events);
  fuzz::PutF32(b, 0.05f);
  const size_t first_song_at = b.size();
  fuzz::PutU32(b, 0xFFFFFFFFu);
  fuzz::PutStr(b, "2026-12-07 08:00");
  fuzz::PutStr(b, with_song ? "play along" : description);
  fuzz::PutF32(b, 120.0f);
  fuzz::PutU32(b, 2);
  const char* paths[2] = {"data/elements/snare.ele", "data/elements/kick.ele"};
  for (int i = 0; i < 2; ++i) {
    fuzz::PutU32(b, static_cast<uint32_t>(i));
    fuzz::PutStr(b, paths[i]);
    fuzz::PutU32(b, 1);   // hand curve
    fuzz::PutU32(b, 90);  // hand volume
    if (version == 1) {
      fuzz::PutU32(b, 0);
      fuzz::PutU32(b, 80);
    }
    fuzz::PutF32(b, i ? 0.3f : -0.4f);
  }
  auto event = [&](float t, uint32_t type) {
    fuzz::PutF32(b, t);
    fuzz::PutU32(b, type);
  };
  event(0.0f, Sound::EVENT_VOLUME);
  fuzz::PutU32(b, 1);
  fuzz::PutU32(b, 70);
  if (with_song) {
    const uint32_t at = static_cast<uint32_t>(b.size()) + 8;
    memcpy(b.data() + first_song_at, &at, 4);
    event(0.001f, Sound::EVENT_SONG_START);
    fuzz::PutStr(b, "data/sounds/missing-song.ogg");
    fuzz::PutF32(b, 0.0f);
  }
  event(0.002f, Sound::EVENT_HIT);
  fuzz::PutU32(b, 0);
  fuzz::PutF32(b, 0.7f);
  fuzz::PutU32(b, 0);
  fuzz::PutF32(b, 0.0f);
  event(0.004f, Sound::EVENT_HIT);
  fuzz::PutU32(b, 1);
  fuzz::PutF32(b, 1.0f);
  fuzz::PutU32(b, 2);
  fuzz::PutF32(b, 0.0f);
  event(0.006f, Sound::EVENT_HIHAT_FADE);
  fuzz::PutU32(b, 0);
  event(0.008f, Sound::EVENT_VOLUME);
  fuzz::PutU32(b, 0);
  fuzz::PutU32(b, 30);
  if (with_song) event(0.01f, Sound::EVENT_SONG_STOP);
  return b;
}

void MakeSeeds(std::vector<std::pair<std::string, fuzz::Bytes>>& seeds) {
  seeds.push_back({"v0.sel", Recording(0, false)});
  seeds.push_back({"v1.sel", Recording(1, false)});
  seeds.push_back({"v0-play.sel", Recording(0, false, "play it")});
  seeds.push_back({"v1-song.sel", Recording(1, true)});
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::MaybeWriteSeeds(MakeSeeds);
  fuzz::StartInScratchDir();
  MakeElements();
  sound.SetMasterVolume(40);
  sound.SetDrumsVolume(100);
  sound.SetSongVolume(50);
  sound.audio.BeginOffline(256);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = "recordings/fuzzed.sel";
  fuzz::WriteFile(path, data, size);

  sel::Performance p;
  std::string error;
  if (sel::ReadPerformance(path.c_str(), p, error)) {
    FUZZ_CHECK(p.header.version == 0 || p.header.version == 1);
    FUZZ_CHECK(std::isfinite(p.header.duration) && p.header.duration >= 0.0f);
    FUZZ_CHECK(p.header.date.size() <= sel::kMaxTextKept && p.header.description.size() <= sel::kMaxTextKept);
    for (const sel::ElementRecord& e : p.elements) {
      FUZZ_CHECK(e.path.size() <= sel::kMaxPath);
      FUZZ_CHECK(e.hand_curve >= 0 && e.hand_curve < Sound::NUM_CURVES);
      FUZZ_CHECK(e.foot_curve >= 0 && e.foot_curve < Sound::NUM_CURVES);
      FUZZ_CHECK(e.hand_volume >= 0 && e.hand_volume <= 100 && e.foot_volume >= 0 && e.foot_volume <= 100);
      FUZZ_CHECK(e.pan >= -1.0f && e.pan <= 1.0f);
    }
    FUZZ_CHECK(p.events.size() <= p.header.event_count);
    for (const Sound::Event& ev : p.events) {
      FUZZ_CHECK(std::isfinite(ev.time) && ev.time >= 0.0f);
      FUZZ_CHECK(ev.type >= 0 && ev.type <= 4);
      if (ev.type == Sound::EVENT_HIT) {
        FUZZ_CHECK(ev.velocity >= 0.0f && ev.velocity <= 1.0f);
        FUZZ_CHECK(ev.openness >= 0.0f && ev.openness <= 1.0f);
        FUZZ_CHECK(ev.limb >= 0 && ev.limb <= 2);
      }
      if (ev.type == Sound::EVENT_VOLUME) FUZZ_CHECK(ev.volume >= 0 && ev.volume <= 100);
      if (ev.type == Sound::EVENT_SONG_START) {
        FUZZ_CHECK(ev.element >= 0 && static_cast<size_t>(ev.element) < p.song_paths.size());
        FUZZ_CHECK(std::isfinite(ev.song_position));
      }
    }
  } else {
    FUZZ_CHECK(!error.empty());
  }

  std::string date, song, description;
  float duration = -1.0f;
  if (Sound::GetPerformanceMetaData(path.c_str(), date, duration, song, description)) {
    FUZZ_CHECK(std::isfinite(duration) && duration >= 0.0f);
    FUZZ_CHECK(date.size() <= sel::kMaxTextKept && description.size() <= sel::kMaxTextKept);
    FUZZ_CHECK(song.size() <= sel::kMaxPath);
  }

  if (p.header.description.compare(0, 4, "play") == 0 && sound.LoadPerformance(path.c_str())) {
    sound.PlayPerformance(0.0f, true);
    Render(1024);
    sound.StopPerformance();
    sound.PlayPerformance(0.004f, false);
    Render(512);
    sound.UnloadPerformance();
    sound.audio.StopRawThreads();
  }
  return 0;
}
