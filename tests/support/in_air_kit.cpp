// In-air test kit: scripted scenes through the fake camera into the real display callback.
#include "tests/support/in_air_kit.h"

#include <GL/gl.h>

#include <string>

#include "airmenu/calibration.h"
#include "airmenu/frame_rate_watch.h"
#include "airmenu/page_frame.h"
#include "airmenu/viewer_link.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "app/app.h"
#include "app/decisions.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/window.h"
#include "render/imgui.h"
#include "render/ui_style.h"
#include "sound/embedded_sounds.h"
#include "sound/sound.h"
#include "tests/support/fake_host_clock.h"
#include "tests/support/fake_libusb.h"
#include "tests/support/ps3eye_packets.h"
#include "tests/support/stroke_harness.h"
#include "tracking/webcam.h"

namespace skyt_test {

namespace {

constexpr int kSettlingFrames = 198;
DistanceMenu last_menu;
Ps3EyePacketiser packetiser;

// One display call, then what the window system does when the program changed the window's
// size (a full-screen switch): a buffer of the new size and the reshape callback.
void DisplayInto(GlContext& gl) {
  Display();
  CheckNoGlError("a frame in state " + std::to_string(interface_state));
  if (headless_window.width == gl.width() && headless_window.height == gl.height()) return;
  gl.Resize(headless_window.width, headless_window.height);
  Reshape(headless_window.width, headless_window.height);
}

}  // namespace

InAirKit::InAirKit(const std::string& name, int width, int height) : install_(name), gl_(width, height) {
  ResetWindowServices();
  headless_window.width = width;
  headless_window.height = height;
  // A screen of the window's size, so that full screen keeps the buffer's size unless a test
  // sets a screen of its own.
  headless_window.screen_width = width;
  headless_window.screen_height = height;
  ResetDisplayForTest(true);
  InstallFrameRateWatch();
  frame_calls.menu_seen = [](const DistanceMenu& menu) { last_menu = menu; };
  last_menu = DistanceMenu();
  graphics_mode = 0;
  render_what = 0;
  frames_until_song_start = -1;
  recording = drums_muted = false;
  use_old_style_menu_button = 0;
  bad_state_count = 0;
  fake_usb::Reset();
  fake_usb::PlugCamera();
  webcam.Init(IniFile());
  // What the program's start-up makes for the in-air pages: the wizard's overlay over the
  // camera picture and the icons.
  calibration.Init(drummer, webcam, imgui, IniFile());
  InitUIStyle();
  DistanceMenu::Init(height, height);
  LoadGridKit(drumkit, 3);
  if (!sound.distance_menu_button_sound.data.load())
    sound.LoadEmbeddedSample(sound.distance_menu_button_sound, distance_menu_button_wav_data, 2);
  ResetDrummer(drummer, drumkit);
  // The session's defaults, as a first run reads them (the kit's hit disks among them).
  WriteFile("conf/skytapper.cfg", "[Session]\nNever_Ran = false\n");
  drummer.LoadLastSession();
  drumkit.SetDistanceMenuLocations(false);
  SetHostTimeNanos(now_);
  Reshape(width, height);
}

InAirKit::~InAirKit() {
  webcam.CleanUp();
  calibration.CleanUp();
  DistanceMenu::ClearMessages();
  DistanceMenu::CleanUp();
  frame_calls.menu_seen = [](const DistanceMenu&) {};
  SetHostTimeNanos(0);
  ResetWindowServices();
}

void InAirKit::Frame(const Scene& scene) {
  MarkerScene picture;
  for (const SceneMarker& m : scene) picture.AddMarker(m.x, m.y, m.radius, m.peak);
  fake_usb::Feed(packetiser.Frame(picture.Render()));
  fake_usb::WaitFeedConsumed();
  now_ += frame_nanos_;
  SetHostTimeNanos(now_);
  DisplayInto(gl_);
  if (sound.audio.GetPlayingTime(sound.distance_menu_button_sound) >= 0.0f) {
    ++clicks_;
    SilenceAll();
  }
}

// Nobody looks at a script's frames but its last. A frame the program draws anew over a
// cleared window is drawn into one pixel, so the program does all its work and the rasteriser
// almost none; the other renderers build on earlier frames or read the picture back, so theirs
// are drawn whole.
void InAirKit::Run(const std::vector<Scene>& frames) {
  for (size_t i = 0; i < frames.size(); ++i) {
    const bool unseen = i + 1 < frames.size() && !IsClientConnected() &&
                        frame_decisions::ChooseFrameFunction(interface_state, graphics_mode, drums_muted) ==
                            frame_decisions::FrameFunction::kNormal;
    if (unseen) {
      glEnable(GL_SCISSOR_TEST);
      glScissor(0, 0, 1, 1);
    }
    Frame(frames[i]);
    if (unseen) glDisable(GL_SCISSOR_TEST);
  }
}

void InAirKit::Redraw() {
  now_ += frame_nanos_;
  SetHostTimeNanos(now_);
  DisplayInto(gl_);
}

void InAirKit::Settle() { Run(StrokeScript::Rest(kSettlingFrames)); }

void InAirKit::Enter(int state, int param) {
  Open([&] { ChangeInterfaceState(state, param, 0, 0); });
}

void InAirKit::Open(const std::function<void()>& opener) {
  opener();
  Frame(StrokeScript::Rest(1)[0]);
  Settle();
}

const DistanceMenu& InAirKit::Menu() const { return last_menu; }

const DistanceMenu::Button* InAirKit::Button(int id) const {
  for (const DistanceMenu::Button& b : last_menu.buttons)
    if (b.id == id) return &b;
  return nullptr;
}

void InAirKit::Hit(int id) {
  const DistanceMenu::Button* b = Button(id);
  if (b) Run(StrokeScript::MenuStroke(b->x, b->y));
}

void InAirKit::Click(int x, int y, const Scene& scene) {
  imgui.mouse_x = x;
  imgui.mouse_y = y;
  imgui.mouse_down = true;
  Frame(scene);
  imgui.mouse_down = false;
  Frame(scene);
  imgui.mouse_x = imgui.mouse_y = -1;
}

std::string InAirKit::Line(int line) {
  auto it = DistanceMenu::m_lines_to_messages.find(line);
  return it == DistanceMenu::m_lines_to_messages.end() ? "" : it->second;
}

}  // namespace skyt_test
