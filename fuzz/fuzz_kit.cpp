// A kit file's [Drumkit calibration] section from fuzzed text, read into a kit of five drums
// (hand, foot, hi-hat, a drum without samples, a custom hand-and-foot drum) and written back.
// What is written must read back to the same kit: saving the re-read kit gives the same text,
// but for sensitivities, which the file holds as whole numbers and may drop by one. The saved
// file lists only the drums with samples, numbered over those, as the kit library rewrites the
// kit's element list.
#include <cmath>
#include <sstream>

#include "drumming/drumkit.h"
#include "fuzz/fuzz_common.h"
#include "tests/support/stroke_harness.h"

namespace {

std::vector<skyt_test::KitDrum> drums;

// Equal line by line, where a sensitivity may differ by one.
bool SameSaved(const std::string& a, const std::string& b) {
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (;;) {
    const bool more_a = static_cast<bool>(std::getline(sa, la)), more_b = static_cast<bool>(std::getline(sb, lb));
    if (more_a != more_b) return false;
    if (!more_a) return true;
    if (la == lb) continue;
    const size_t ka = la.find(".Sensitivity = "), kb = lb.find(".Sensitivity = ");
    if (ka == std::string::npos || ka != kb || la.compare(0, ka, lb, 0, kb) != 0) return false;
    if (std::abs(atoi(la.c_str() + ka + 15) - atoi(lb.c_str() + kb + 15)) > 1) return false;
  }
}

// The calibration body of a saved kit file (what follows the section header).
std::string Body(const std::string& file) {
  const std::string header = "[Drumkit calibration]\n\n";
  const size_t at = file.find(header);
  FUZZ_CHECK(at != std::string::npos);
  return file.substr(at + header.size());
}

std::string Save(const Drumkit& kit, const std::string& name) {
  const std::string path = "conf/drumkits/" + name;
  fuzz::WriteFile(path, "[Drumkit]\nName = Test\n");
  FUZZ_CHECK(kit.SaveCalibrationInfo(path));
  return Body(fuzz::ReadFile(path));
}

void CheckValues(const Drumkit& kit, const std::vector<skyt_test::KitDrum>& drums) {
  FUZZ_CHECK(std::isfinite(kit.left_choke_distance) && std::isfinite(kit.right_choke_distance));
  for (size_t i = 0; i < kit.drums.size(); ++i) {
    const Drumkit::Drum& d = kit.drums[i];
    for (float v : {d.x, d.y, d.size, d.foot_x, d.foot_y, d.foot_size, d.pedal_lowest_foot_y, d.pedal_foot_range,
                    d.hihat_splash_sensitivity, d.hihat_clutch_openness})
      FUZZ_CHECK(std::isfinite(v));
    for (const Drumkit::VolumeMap* m : {&d.hand_map, &d.foot_map})
      for (float s : {0.0f, 1.0f, 37.5f, 400.0f, 5000.0f}) {
        const float v = m->GetVolume(s);
        FUZZ_CHECK(v >= 0.0f && v <= 1.0f);
      }
    const int slot = drums[i].slot;
    if (slot >= 0) {
      for (bool pedal : {false, true}) {
        FUZZ_CHECK(sound.GetElementVolume(slot, pedal) >= 0 && sound.GetElementVolume(slot, pedal) <= 100);
        FUZZ_CHECK(sound.GetElementCurve(slot, pedal) >= 0 && sound.GetElementCurve(slot, pedal) < Sound::NUM_CURVES);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::InstallInScratchDir();
  skyt_test::ResetSound();
  drums = {{"sn", Sound::SNARE, Sound::CATEGORY_HAND, skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND)},
           {"bd", Sound::KICK, Sound::CATEGORY_FOOT, skyt_test::AddElement(Sound::KICK, Sound::CATEGORY_FOOT)},
           {"hh", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT,
            skyt_test::AddElement(Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT)},
           {"cr", Sound::CRASH, Sound::CATEGORY_HAND, -1},
           {"cu", Sound::CUSTOM_HAND_AND_FOOT, Sound::CATEGORY_HAND_AND_FOOT,
            skyt_test::AddElement(Sound::CUSTOM_HAND_AND_FOOT, Sound::CATEGORY_HAND_AND_FOOT)}};
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string calibration(reinterpret_cast<const char*>(data), size);
  Drumkit kit;
  kit.Init();
  FUZZ_CHECK(skyt_test::LoadKit(kit, drums, calibration, "fuzzed.ini"));
  CheckValues(kit, drums);
  const std::string saved = Save(kit, "saved.ini");
  FUZZ_CHECK(saved.find("nan") == std::string::npos && saved.find("inf") == std::string::npos);

  Drumkit again;
  again.Init();
  FUZZ_CHECK(skyt_test::LoadKit(again, drums, saved, "reread.ini"));
  CheckValues(again, drums);
  const std::string resaved = Save(again, "resaved.ini");
  if (!SameSaved(saved, resaved)) {
    fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", saved.c_str(), resaved.c_str());
    FUZZ_CHECK(SameSaved(saved, resaved));
  }
  return 0;
}
