// The viewer link against an independent stand-in viewer, in process: discovery, the connect
// sequence, kit browsing, moves, head-pose panning, the UDP packets, framing, a viewer killed
// mid-stream, and the viewer's bad input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "airmenu/viewer_link.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "library/drumkit_chooser.h"
#include "sound/embedded_sounds.h"
#include "sound/midi.h"
#include "tests/support/free_ports.h"
#include "tests/support/kit_choices.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"
#include "tests/support/viewer_probe.h"

using skyt_test::Chosen;
using skyt_test::F32;
using skyt_test::I32;
using skyt_test::operator+;
using skyt_test::ReadF32;
using skyt_test::ServerMessage;

namespace {

std::vector<int> Codes(const std::vector<ServerMessage>& messages) {
  std::vector<int> codes;
  for (const ServerMessage& m : messages) codes.push_back(m.code);
  return codes;
}

std::vector<std::string> KitNames(const std::vector<ServerMessage>& messages) {
  std::vector<std::string> names;
  for (const ServerMessage& m : messages)
    if (m.code == 8) names.push_back(skyt_test::ReadName(m.payload));
  return names;
}

// Drums: 0 snare at (240, 150), 1 hi-hat (hand at (60, 120), pedal at x 90), 2 kick pedal at
// x 200, 3 crash at (200, 60). The library lists Rock (in use), Jazz and Funk; loading a kit
// only records its name and fails.
class ViewerProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = std::make_unique<skyt_test::Installation>("viewer_probe");
    skyt_test::ResetSound();
    midi_mode = 0;
    drums_muted = false;
    drumkit.Init();
    const int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
    const int hat = skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT);
    const int kick = skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT);
    const int crash = skyt_test::AddElement(Sound::CRASH, Sound::CATEGORY_HAND);
    ASSERT_TRUE(skyt_test::LoadKit(
        drumkit,
        {{"Snare", Sound::SNARE, Sound::CATEGORY_HAND, snare},
         {"Hat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT, hat},
         {"Kick", Sound::KICK, Sound::CATEGORY_FOOT, kick},
         {"Crash", Sound::CRASH, Sound::CATEGORY_HAND, crash}},
        "Drum0.x = 240\nDrum0.y = 150\nDrum0.size = 4\nDrum0.Hand.Sensitivity = 37\n"
        "Drum1.x = 60\nDrum1.y = 120\nDrum1.size = 4\nDrum1.foot_x = 90\nDrum1.foot_y = 225\nDrum1.foot_size = 5\n"
        "Drum1.pedal_lowest_foot_y = 225\nDrum1.pedal_foot_range = 5\n"
        "Drum2.foot_x = 200\nDrum2.foot_y = 225\nDrum2.foot_size = 5\nDrum2.pedal_lowest_foot_y = 225\n"
        "Drum2.pedal_foot_range = 5\nDrum3.x = 200\nDrum3.y = 60\nDrum3.size = 4\n"));
    skyt_test::ResetDrummer(drummer, drumkit);
    drummer.Z_Offset = 0.0f;
    drummer.User_Height = 1.75f;
    drumkit.SetPan(true, -1);
    InstallViewerCalls();
    drumkit_chooser.drumkits.clear();
    for (const char* name : {"Rock", "Jazz", "Funk"}) {
      DrumkitChooser::LogicalDrumkit kit;
      kit.Name = name;
      drumkit_chooser.drumkits.push_back(kit);
    }
    drumkit_chooser.current_drumkit_name = "Rock";
    drummer.kit_library = &drumkit_chooser;
    skyt_test::RecordKitChoices();
    const int first = skyt_test::FreePorts(4);
    viewer_ports = {first, first + 1, first + 2, first + 3};
    ASSERT_TRUE(InitSockets(nullptr, true));
    InitDiscoveryServer();
    probe_ = std::make_unique<skyt_test::ViewerProbe>(skyt_test::ProbePorts{first, first + 1, first + 2, first + 3},
                                                      [] {
                                                        UpdateDiscoveryServer();
                                                        UpdateSockets();
                                                      });
  }
  void TearDown() override {
    probe_.reset();
    CleanUpDiscoveryServer();
    CleanUpSockets();
    if (recording) logger.StopRecording(recording);
  }

  // Connects and returns the connect sequence.
  std::vector<ServerMessage> Connect() {
    EXPECT_TRUE(probe_->Connect());
    probe_->Run(2);
    EXPECT_TRUE(IsClientConnected());
    return probe_->TakeMessages();
  }
  // Sends one message, runs a few frames and returns what came back.
  std::vector<ServerMessage> Ask(int code, const std::vector<unsigned char>& payload = {}) {
    probe_->Send(code, payload);
    probe_->Run(3);
    return probe_->TakeMessages();
  }
  float Pan(int drum) { return sound.GetElementPan(drumkit.GetDrumkitElementToSoundElement(drum)); }

  std::unique_ptr<skyt_test::Installation> install_;
  std::unique_ptr<skyt_test::ViewerProbe> probe_;
};

}  // namespace

TEST_F(ViewerProbeTest, DiscoveryAndTheConnectSequence) {
  EXPECT_EQ(probe_->Discover("SKYT"), "SKYT");
  EXPECT_EQ(probe_->Discover("SKYTX"), "");
  drummer.Z_Offset = 0.25f;
  drummer.User_Height = 1.8f;
  drumkit.is_user_kit = false;
  const std::vector<ServerMessage> sequence = Connect();
  EXPECT_EQ(Codes(sequence), (std::vector<int>{9, 10, 0, 1, 1, 1, 1, 2, 8}));
  EXPECT_EQ(probe_->bad_codes, 0);
  ASSERT_EQ(sequence.size(), 9u);
  EXPECT_EQ(ReadF32(sequence[0].payload, 0), 0.25f);
  EXPECT_EQ(ReadF32(sequence[1].payload, 0), 1.8f);
  EXPECT_EQ(sequence[2].payload, (I32(4) + std::vector<unsigned char>{0, 0, 0, 0}));
  // The hi-hat: index, type and category in 16 bits each, x, y, size, foot_x.
  EXPECT_EQ(sequence[4].payload,
            (I32(1) + std::vector<unsigned char>{9, 0, 2, 0} + F32(60) + F32(120) + F32(4) + F32(90)));
  EXPECT_EQ(KitNames(sequence), std::vector<std::string>{"Rock"});
  EXPECT_EQ(sequence[8].payload.size(), 64u);
  // A connected viewer is not discovered again.
  EXPECT_EQ(probe_->Discover("SKYT"), "");
}

TEST_F(ViewerProbeTest, KitBrowsingWrapsAndUsesTheKitInUse) {
  Connect();
  EXPECT_EQ(KitNames(Ask(25)), std::vector<std::string>{"Funk"});  // before the first: the last
  EXPECT_EQ(KitNames(Ask(26)), std::vector<std::string>{"Rock"});  // past the last: the first
  // Three zero-size messages in one read are all handled.
  probe_->SendBytes({26, 26, 26});
  probe_->Run(3);
  EXPECT_EQ(KitNames(probe_->TakeMessages()), (std::vector<std::string>{"Jazz", "Funk", "Rock"}));

  Connect();  // a new connection browses from the kit in use again
  EXPECT_EQ(Codes(Ask(24)), (std::vector<int>{0, 1, 1, 1, 1, 2}));
  EXPECT_EQ(Chosen(), std::vector<std::string>{"Rock"});

  drumkit_chooser.drumkits.clear();
  for (int code : {24, 25, 26}) EXPECT_TRUE(Ask(code).empty()) << code;
}

// A viewer repeating a request as fast as it can: the run is acted on once a frame, with the
// outcome of all of it (the playlist moves by every step), and the kit in use is not loaded
// again and again.
TEST_F(ViewerProbeTest, ARunOfRepeatedRequestsIsActedOnOnceAFrame) {
  Connect();
  drummer.playlist = {{"a", "a.ogg"}, {"b", "b.ogg"}, {"c", "c.ogg"}};
  drummer.current_song = 0;
  drummer.start_time = 4.0f;
  probe_->SendBytes(std::vector<unsigned char>(50, 18));
  probe_->Run(3);
  const std::vector<int> codes = Codes(probe_->TakeMessages());
  EXPECT_LE(codes.size(), 3u) << "a song name a frame at most";
  EXPECT_EQ(std::count(codes.begin(), codes.end(), 7), int(codes.size()));
  EXPECT_EQ(drummer.current_song, 50 % 3);
  EXPECT_EQ(drummer.start_time, 0.0f) << "the song moved to starts from its beginning";
  probe_->SendBytes({18});  // the next frame's run starts from no steps
  probe_->Run(3);
  EXPECT_EQ(drummer.current_song, 51 % 3);
  probe_->SendBytes(std::vector<unsigned char>(50, 24));
  probe_->Run(3);
  EXPECT_EQ(Chosen(), std::vector<std::string>{"Rock"});
  probe_->SendBytes({24});  // the same run, a frame later
  probe_->Run(3);
  EXPECT_EQ(Chosen(), std::vector<std::string>{"Rock"});
  drummer.playlist.clear();
}

// Play, stop and the menu click are each told apart by their own code.
TEST_F(ViewerProbeTest, PlayStopAndClickRequests) {
  if (!sound.distance_menu_button_sound.data.load())
    sound.LoadEmbeddedSample(sound.distance_menu_button_sound, distance_menu_button_wav_data, 2);
  drummer.playlist.clear();
  Connect();
  const struct {
    int code;
    bool playing;
    bool click;
  } cases[] = {{15, true, false}, {16, false, false}, {14, false, true}};
  for (const auto& c : cases) {
    Ask(c.code);
    EXPECT_EQ(drummer.IsPlayingSong(), c.playing) << c.code;
    EXPECT_EQ(sound.audio.GetPlayingTime(sound.distance_menu_button_sound) >= 0.0f, c.click) << c.code;
  }
  skyt_test::SilenceAll();
}

TEST_F(ViewerProbeTest, MovesFromTheViewer) {
  Connect();
  const auto move = I32(1) + F32(70) + F32(110) + F32(5);
  EXPECT_EQ(Ask(27, move), (std::vector<ServerMessage>{{3, move}}));
  EXPECT_EQ(drumkit.drums[1].foot_x, 70.0f);  // the hi-hat's pedal follows its cymbal
  EXPECT_EQ(drumkit.drums[1].size, 5.0f);

  EXPECT_TRUE(Ask(28, I32(2) + F32(71) + F32(220)).empty());  // within 2 px of the hi-hat pedal
  EXPECT_EQ(Codes(Ask(28, I32(1) + F32(60) + F32(230))), std::vector<int>{3});
  EXPECT_EQ(drumkit.drums[1].x, 60.0f);
  const auto pedal = I32(2) + F32(180) + F32(228);
  EXPECT_EQ(Ask(28, pedal), (std::vector<ServerMessage>{{4, pedal}}));
  EXPECT_EQ(drumkit.drums[2].pedal_foot_range, -5.0f);
  EXPECT_EQ(drumkit.drums[2].pedal_lowest_foot_y, 228.0f);
  // A pedal placed in the air reaches the viewer as the viewer's own pedal move comes back.
  drumkit.drums[2].foot_x = 185.0f, drumkit.drums[2].foot_y = 226.0f;
  SendMessage_MovePedal(2, drumkit.drums[2]);
  probe_->Run(2);
  EXPECT_EQ(probe_->TakeMessages(), (std::vector<ServerMessage>{{4, I32(2) + F32(185) + F32(226)}}));

  // Moves the kit cannot take change nothing and get no reply.
  const float nan = std::nanf("");
  const std::vector<unsigned char> bad[] = {I32(-1) + F32(1) + F32(2), I32(99) + F32(1) + F32(2),
                                            I32(0) + F32(nan) + F32(2), I32(0) + F32(1) + F32(-INFINITY)};
  for (const auto& payload : bad) {
    EXPECT_TRUE(Ask(27, payload + F32(3)).empty());
    EXPECT_TRUE(Ask(28, payload).empty());
  }
  EXPECT_EQ(drumkit.drums[0].x, 240.0f);
  EXPECT_EQ(drumkit.drums[0].foot_x, 0.0f);
}

TEST_F(ViewerProbeTest, HeadPosePansTheDrums) {
  drumkit.drums[0].x = 146 + 800;
  drumkit.drums[3].x = 146;
  Connect();
  probe_->SendHeadPose(7, 0, 1);
  probe_->Run(2);
  EXPECT_NEAR(Pan(0), 0.7071f, 1e-4);
  EXPECT_EQ(Pan(3), 0.0f);
  // p8 alone: the drums straight ahead pan fully, and no further.
  probe_->SendHeadPose(8, 5, 0);
  probe_->Run(2);
  EXPECT_EQ(Pan(3), -1.0f);
  struct Case { uint32_t counter; float p8; size_t length; bool other_port; };
  const Case ignored[] = {{9, 1, 12, false}, {9, std::nanf(""), 16, false}, {8, 1, 16, false}, {9, 1, 16, true}};
  for (const Case& c : ignored) {
    probe_->SendHeadPose(c.counter, c.p8, 0, c.length, c.other_port);
    probe_->Run(2);
    EXPECT_EQ(Pan(3), -1.0f) << c.counter << " " << c.length;
  }
  drummer.Is_Left_Handed = true;  // the centre moves to 178
  drumkit.drums[3].x = 178;
  probe_->SendHeadPose(10, 0, 1);
  probe_->Run(2);
  EXPECT_EQ(Pan(3), 0.0f);
}

TEST_F(ViewerProbeTest, HitAndMarkersPacketsFromTheDrumming) {
  skyt_test::StrokeHarness harness(drummer);
  auto stroke = [&] {
    int voices = 0;
    for (float y : skyt_test::StrokeTrack(158 - 48, 8, 6, 6))
      voices += int(harness.Frame({skyt_test::Blob(240, y), skyt_test::Blob(20, 40)}).size());
    return voices;
  };
  EXPECT_EQ(stroke(), 1);  // no viewer: the hit still sounds
  Connect();
  const int frames = int(skyt_test::StrokeTrack(158 - 48, 8, 6, 6).size());
  for (int i = 0; i < 2; ++i) stroke();
  probe_->Run(2);
  ASSERT_EQ(probe_->hits.size(), 2u);
  for (uint32_t i = 0; i < 2; ++i) {
    const skyt_test::HitPacket& hit = probe_->hits[i];
    EXPECT_EQ(hit.counter, i + 1);
    EXPECT_EQ(hit.drum, 0);
    EXPECT_GT(hit.value, 0.0f);
    EXPECT_LE(hit.value, 1.0f);
    EXPECT_EQ(hit.limb, 1);  // the right stick
  }
  ASSERT_EQ(int(probe_->markers.size()), 2 * frames);
  const skyt_test::MarkersPacket& last = probe_->markers.back();
  EXPECT_EQ(last.counter, uint32_t(2 * frames));
  EXPECT_EQ(last.values[6], -1000.0f);  // no feet
  EXPECT_EQ(last.values[9], -1000.0f);
  EXPECT_EQ(probe_->bad_packets, 0);
}

// A viewer on another machine: the packets go to the address it connected from, and its head
// poses from there are taken.
TEST_F(ViewerProbeTest, PacketsGoToTheViewersOwnAddress) {
  const skyt_test::ProbePorts ports{viewer_ports.server, viewer_ports.udp, viewer_ports.client_udp,
                                    viewer_ports.discovery};
  probe_.reset();
  probe_ = std::make_unique<skyt_test::ViewerProbe>(
      ports,
      [] {
        UpdateDiscoveryServer();
        UpdateSockets();
      },
      "127.0.0.1", "127.0.0.2");
  Connect();
  SendMessage_HitDrum(3, 0.5f, 1);
  SendMessage_Markers(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0.5f);
  probe_->Run(2);
  EXPECT_EQ(probe_->hits.size(), 1u);
  EXPECT_EQ(probe_->markers.size(), 1u);
  drumkit.drums[3].x = 146;
  probe_->SendHeadPose(1, 5, 0);
  probe_->Run(2);
  EXPECT_EQ(Pan(3), -1.0f);
}

TEST_F(ViewerProbeTest, AViewerKilledMidStreamIsDroppedAndCanComeBack) {
  Connect();
  sound.SetDrumsVolume(30);
  probe_->SendHeadPose(5, 0, 1);
  probe_->Run(2);
  const float panned = Pan(0);
  // A message split over three frames is handled once, when its last byte arrives.
  const std::vector<unsigned char> offset = F32(0.5f);
  const std::vector<unsigned char> parts[] = {{30, offset[0]}, {offset[1]}, {offset[2], offset[3]}};
  for (const auto& part : parts) {
    EXPECT_EQ(drummer.Z_Offset, 0.0f);
    probe_->SendBytes(part);
    probe_->Run(1);
  }
  EXPECT_EQ(drummer.Z_Offset, 0.5f);

  // Requests that keep the link answering after the viewer has gone: sending into a closed
  // connection must not raise SIGPIPE.
  probe_->SendBytes(std::vector<unsigned char>(3000, 26));
  probe_->Kill();
  for (int i = 0; i < 10 && IsClientConnected(); ++i) {
    UpdateSockets();
    usleep(2000);
  }
  EXPECT_FALSE(IsClientConnected());
  EXPECT_EQ(sound.drums_volume.load(), 70);
  EXPECT_NE(Pan(0), panned);
  const float placed = Pan(0);

  Connect();
  drummer.Drum(nullptr, 0, nullptr, nullptr, false);
  probe_->SendHeadPose(1, 0, 1);  // older than the last session's, taken in the new one
  probe_->Run(2);
  ASSERT_FALSE(probe_->markers.empty());
  EXPECT_EQ(probe_->markers.back().counter, 1u);
  EXPECT_EQ(Pan(0), panned);
  EXPECT_NE(placed, panned);
}

TEST_F(ViewerProbeTest, BadInputStaysInRange) {
  Connect();
  struct Tempo { int bpm; float period; };
  for (const Tempo& t : {Tempo{0, 60.0f / 50}, Tempo{100000, 60.0f / 250}, Tempo{-7, 60.0f / 50}, Tempo{120, 0.5f}}) {
    Ask(19, I32(t.bpm));
    EXPECT_FLOAT_EQ(sound.beat_period.load(), t.period) << t.bpm;
    EXPECT_TRUE(is_metronome_playing);
    EXPECT_TRUE(sound.metronome_on.load());
  }
  Ask(20);
  EXPECT_FALSE(is_metronome_playing);
  EXPECT_FALSE(sound.metronome_on.load()) << "the metronome still sounds";

  // Each level by its own index; the mixer clamps what is over 100.
  const std::atomic<int>* const levels[] = {&sound.master_volume, &sound.drums_volume, &sound.song_volume,
                                            &sound.metronome_volume};
  for (unsigned char k = 0; k < 4; ++k) {
    Ask(23, {k, static_cast<unsigned char>(11 + k)});
    EXPECT_EQ(levels[k]->load(), 11 + k) << int(k);
  }
  Ask(23, {0, 200});
  EXPECT_EQ(sound.master_volume.load(), 100);
  const int volumes[] = {sound.master_volume, sound.drums_volume, sound.song_volume, sound.metronome_volume};
  Ask(23, {4, 10});
  EXPECT_EQ((std::vector<int>{sound.master_volume, sound.drums_volume, sound.song_volume, sound.metronome_volume}),
            std::vector<int>(std::begin(volumes), std::end(volumes)));

  Ask(30, F32(std::nanf("")));
  Ask(31, F32(INFINITY));
  EXPECT_EQ(drummer.Z_Offset, 0.0f);
  EXPECT_EQ(drummer.User_Height, 1.75f);

  Ask(22);  // not recording: nothing to stop
  Ask(21);
  Ask(21);
  EXPECT_TRUE(recording);
  Ask(22);
  EXPECT_FALSE(recording);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator("recordings")) files += e.path().extension() == ".sel";
  EXPECT_EQ(files, 1);
}

// A viewer's first request to record in a run starts a recording, with no kit load before it
// (the program may start without finding its kit): a run of its own.
TEST_F(ViewerProbeTest, TheRunsFirstRequestToRecordStartsARecording) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const auto first_request = [this] {
    Connect();
    Ask(21);
    std::_Exit(sound.IsRecording() ? 0 : 1);
  };
  EXPECT_EXIT(first_request(), testing::ExitedWithCode(0), "");
}

TEST_F(ViewerProbeTest, RandomBytesOverLoopbackKeepTheStateSound) {
  Connect();
  uint32_t state = 20261207;
  auto next = [&] {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  };
  auto random_float = [&] {
    const uint32_t bits = next() << 8 | (next() & 0xff);
    float f;
    memcpy(&f, &bits, 4);
    return f;
  };
  for (int frame = 0; frame < 10000; ++frame) {
    std::vector<unsigned char> chunk(next() % 40);
    for (unsigned char& b : chunk) b = static_cast<unsigned char>(next());
    probe_->SendBytes(chunk);
    if (frame % 3 == 0) probe_->SendHeadPose(next() % 50, random_float(), random_float(), next() % 24);
    UpdateSockets();
    for (const Drumkit::Drum& d : drumkit.drums)
      for (float v : {d.x, d.y, d.size, d.foot_x, d.foot_y}) ASSERT_TRUE(std::isfinite(v)) << frame;
    for (const Sound::Element& e : sound.elements) ASSERT_TRUE(e.pan >= -1.0f && e.pan <= 1.0f) << frame;
    for (int v : {sound.master_volume.load(), sound.drums_volume.load(), sound.song_volume.load()})
      ASSERT_TRUE(v >= 0 && v <= 100) << frame;
    const float period = sound.beat_period.load();
    ASSERT_TRUE(period >= 0.24f - 1e-6f && period <= 1.2f + 1e-6f) << frame;
  }
  EXPECT_TRUE(IsClientConnected());
  EXPECT_NE(sound.beat_period.load(), 0.5f);  // the stream did reach the handling
}
