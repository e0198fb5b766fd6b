// The viewer link per frame: UpdateSockets with a connected viewer that sends nothing, with
// 1 KB of its messages waiting, and with a viewer flooding play-song, previous-song or use-kit
// requests (frames a second the link leaves the frame loop); and the way of the hit and markers packets from a tracking
// frame of the drumming controller to the viewer (time until the frame's markers packet has
// arrived, which leaves after its hit packet), with its 50th and 99th percentiles.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "airmenu/viewer_link.h"
#include "drumming/drummer.h"
#include "frame/paths.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "sound/sound.h"
#include "tests/support/blobs.h"
#include "tests/support/free_ports.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "tests/support/viewer_probe.h"

namespace {

using Clock = std::chrono::steady_clock;
using skyt_test::operator+;

// The link on free ports with a grid kit of 8 drums and a connected stand-in viewer.
skyt_test::ViewerProbe& ConnectedProbe() {
  static skyt_test::ViewerProbe* probe = [] {
    new skyt_test::ScopedChdir(skyt_test::FreshDir("bench_viewer_link"));
    skyt_test::LoadGridKit(drumkit, 8);
    skyt_test::ResetDrummer(drummer, drumkit);
    InstallViewerCalls();
    const int first = skyt_test::FreePorts(4);
    viewer_ports = {first, first + 1, first + 2, first + 3};
    InitSockets(nullptr, true);
    auto* p = new skyt_test::ViewerProbe({first, first + 1, first + 2, first + 3}, [] { UpdateSockets(); });
    if (!p->Connect() || !IsClientConnected()) abort();
    p->Run(3);
    p->TakeMessages();
    return p;
  }();
  return *probe;
}

// Each iteration the bytes arrive and the one frame that handles them is timed; the probe then
// takes the replies, untimed, so that the link's queue stays short.
void TimeFramesHandling(benchmark::State& state, skyt_test::ViewerProbe& probe, const std::vector<unsigned char>& bytes) {
  for (auto _ : state) {
    probe.SendBytes(bytes);
    const auto start = Clock::now();
    UpdateSockets();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    state.PauseTiming();
    probe.Run(1);
    probe.TakeMessages();
    state.ResumeTiming();
  }
  if (!IsClientConnected()) state.SkipWithError("viewer lost");
}

void BM_UpdateSocketsIdleViewer(benchmark::State& state) {
  ConnectedProbe();
  for (auto _ : state) UpdateSockets();
  if (!IsClientConnected()) state.SkipWithError("viewer lost");
}
BENCHMARK(BM_UpdateSocketsIdleViewer);

// 1 KB of moves and volume changes arrives, then one frame handles it.
void BM_UpdateSockets1KBOfMessages(benchmark::State& state) {
  skyt_test::ViewerProbe& probe = ConnectedProbe();
  std::vector<unsigned char> kilobyte;
  while (kilobyte.size() + 17 + 3 <= 1024) {
    kilobyte = kilobyte + std::vector<unsigned char>{27} + skyt_test::I32(3) + skyt_test::F32(150) +
               skyt_test::F32(90) + skyt_test::F32(4);
    kilobyte = kilobyte + std::vector<unsigned char>{23, 1, 80};
  }
  kilobyte.resize(1024, 20);  // metronome off, one byte each
  TimeFramesHandling(state, probe, kilobyte);
}
BENCHMARK(BM_UpdateSockets1KBOfMessages)->UseManualTime();

// The grid kit as the library's only kit, its elements on disk (no samples), and a playlist of
// two songs that can not be loaded: every request of the flood has work to do.
void PrepareFloodTargets() {
  static bool done = [] {
    mkdir("data", 0755);
    mkdir("data/elements", 0755);
    for (size_t i = 0; i < drumkit.drums.size(); ++i) {
      const std::string path = MakePath(kPathElements, std::string(drumkit.drums[i].name) + ".ele");
      Sound::ConvertElement(path.c_str(), drumkit.drums[i].type, drumkit.drums[i].category);
    }
    DrumkitChooser::LogicalDrumkit listed;
    listed.Load(MakePath(kPathDrumkits, "test.ini"));
    drumkit_chooser.drumkits = {listed};
    drumkit_chooser.current_drumkit_name = listed.Name;
    drummer.kit_library = &drumkit_chooser;
    InstallLibraryCalls();
    drummer.playlist = {Drummer::Song{"a", "missing_a.ogg"}, Drummer::Song{"b", "missing_b.ogg"}};
    drummer.current_song = 0;
    return true;
  }();
  (void)done;
}

// A viewer sending one request as fast as it can: each frame finds 1 KB of it waiting (after a
// first such frame). The frames a second are those the link alone leaves; a camera frame comes
// every 8 ms (125 a second).
void BM_FrameUnderFlood(benchmark::State& state) {
  skyt_test::ViewerProbe& probe = ConnectedProbe();
  PrepareFloodTargets();
  const std::vector<unsigned char> flood(1024, static_cast<unsigned char>(state.range(0)));
  probe.SendBytes(flood);  // the flood's first frame does the request's work once
  UpdateSockets();
  probe.Run(1);
  probe.TakeMessages();
  TimeFramesHandling(state, probe, flood);
  state.counters["frames_per_s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FrameUnderFlood)->Arg(15)->Arg(17)->Arg(24)->UseManualTime()->Iterations(20);

// Strokes onto a hand drum, frame by frame: from the start of Drummer::Drum to the arrival
// of the frame's markers packet.
void BM_PacketsFromDrumToViewer(benchmark::State& state) {
  skyt_test::ViewerProbe& probe = ConnectedProbe();
  const std::vector<float> track = skyt_test::StrokeTrack(40, 8, 6, 6);
  const Drumkit::Drum& target = drumkit.drums[2];
  std::vector<double> latencies;
  size_t frame = 0;
  const size_t hits_before = probe.hits.size();
  for (auto _ : state) {
    Webcam::Blob blobs[2] = {skyt_test::Blob(target.x, target.y - 48 + track[frame % track.size()]),
                             skyt_test::Blob(20, 40)};
    ++frame;
    const size_t markers = probe.markers.size();
    const auto start = Clock::now();
    drummer.Drum(blobs, 2, nullptr, nullptr, false);
    while (probe.markers.size() == markers) probe.Run(1);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(seconds);
    latencies.push_back(seconds * 1e6);
  }
  std::sort(latencies.begin(), latencies.end());
  state.counters["p50_us"] = latencies[latencies.size() / 2];
  state.counters["p99_us"] = latencies[latencies.size() * 99 / 100];
  state.counters["hits"] = double(probe.hits.size() - hits_before);
}
BENCHMARK(BM_PacketsFromDrumToViewer)->UseManualTime()->Iterations(5000);

}  // namespace
