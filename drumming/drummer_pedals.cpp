// Pedals: hi-hat openness from the foot's height, the closing event, pending splashes, the
// hi-hat MIDI controller and re-learning a pedal's closed position.
#include <algorithm>
#include <cmath>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "sound/midi.h"

namespace {

bool was_right_pedal_open = false;
bool was_left_pedal_open = false;

bool FiniteY(const MocapMarker& m) {
  if (!m.WasPresent()) return false;
  const MocapMarker::Position& p = *m.GetLastPosition();
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.radius);
}

}  // namespace

void Drummer::UpdatePedals() {
  if (!kit) return;
  struct Foot {
    MocapMarker* marker;
    bool present;
    float y;
    int drum;
    bool* latch;
    bool* splash_pending;
    float* splash_y;
    float* pending_volume;
    int* firm_frame;
    float* rest_y;
    bool right;
  };
  Foot feet[2] = {
      {&right_foot, false, 0, -1, &was_right_pedal_open, &right_splash_pending, &right_splash_y,
       &right_pending_splash_volume, &right_firm_frame, &right_rest_y, true},
      {&left_foot, false, 0, -1, &was_left_pedal_open, &left_splash_pending, &left_splash_y,
       &left_pending_splash_volume, &left_firm_frame, &left_rest_y, false},
  };
  for (Foot& f : feet) {
    // A foot whose position is not a number is treated as absent.
    f.present = FiniteY(*f.marker);
    if (f.present) {
      const MocapMarker::Position& p = *f.marker->GetLastPosition();
      f.y = p.y;
      f.drum = kit->FindDrum(Sound::CATEGORY_FOOT, p.x, p.y, p.radius);
    }
  }

  int hihats_sent = 0;
  for (size_t n = 0; n < kit->drums.size(); ++n) {
    int i = int(n);
    Drumkit::Drum& d = kit->drums[n];
    if (d.category != Sound::CATEGORY_FOOT && d.category != Sound::CATEGORY_HAND_AND_FOOT) continue;
    float splash_sens = d.hihat_splash_sensitivity;
    float t = 4.8f * std::pow((100.0f - splash_sens) * 0.01f, 3.0f);
    float divisor = d.category == Sound::CATEGORY_FOOT ? 1.0f : 0.5f;
    Foot* f = nullptr;
    if (feet[0].drum == i)
      f = &feet[0];
    else if (feet[1].drum == i)
      f = &feet[1];
    if (f) {
      float dy = f->y - d.pedal_lowest_foot_y;
      float raw = d.pedal_foot_range != 0 ? (dy + 0.6f) / d.pedal_foot_range : (dy > 0 ? 0.0f : 1.0f);
      d.raw_openness = raw;
      float openness;
      if (dy > 2.0f || raw > 3.0f)
        openness = raw > 0 ? 1.0f : 0.0f;
      else
        openness = std::clamp(raw / divisor, 0.0f, 1.0f);
      if (std::isnan(openness)) openness = 0.0f;
      d.openness = openness;
      if (!*f->latch && openness < 0.1f) {
        *f->latch = true;
        kit->PedalCloses(i);
      } else if (*f->latch && openness > 0.2f) {
        *f->latch = false;
      }
      if (*f->splash_pending && pedal_frame - *f->firm_frame == splash_delay) {
        if (*f->splash_y - f->y > t)
          kit->PedalSplash(i, *f->pending_volume, d.openness, f->right);
        else if (!drums_muted)
          kit->PlayDrum(i, *f->pending_volume, Sound::LIMB_FOOT, -1.0f, false, f->right);
        *f->splash_pending = false;
      }
    } else {
      d.openness = d.category == Sound::CATEGORY_HAND_AND_FOOT ? std::clamp(d.hihat_clutch_openness * 0.01f, 0.0f, 1.0f) : 1.0f;
      d.raw_openness = 0.0f;
    }
    if (!midi_send_cc_only_before_note && d.category == Sound::CATEGORY_HAND_AND_FOOT) {
      if (MidiNotes* notes = kit->GetMIDINotes(i)) ControlMIDIHihat(d.openness, *notes, hihats_sent);
      ++hihats_sent;
    }
  }

  // A pending splash is decided at its deadline or never: when the foot was lost or left the
  // pedal, it lapses, so that a later stroke of the same foot cannot set it off.
  for (Foot& f : feet)
    if (*f.splash_pending && pedal_frame - *f.firm_frame >= splash_delay) *f.splash_pending = false;

  for (Foot& f : feet) {
    if (!f.present || f.drum < 0 || f.drum >= int(kit->drums.size())) continue;
    Drumkit::Drum& d = kit->drums[f.drum];
    if (d.category != Sound::CATEGORY_HAND_AND_FOOT || !(*f.rest_y >= 0)) continue;
    if (std::fabs(*f.rest_y - f.y) < 0.5f) {
      if (pedal_frame - *f.firm_frame == 30) {
        d.pedal_lowest_foot_y = *f.rest_y;
        *f.rest_y = -1.0f;
      }
    } else {
      *f.rest_y = -1.0f;
    }
  }
  ++pedal_frame;
}

bool Drummer::BothHandsBelowFootLine() const {
  bool any = false;
  for (const MocapMarker* m : {&left_hand, &right_hand}) {
    if (!m->WasPresent()) continue;
    any = true;
    if (!(m->GetLastPosition()->y > labeler.FootLine())) return false;
  }
  return any;
}

void Drummer::GetFeetPositions(MocapMarker::Position& right, MocapMarker::Position& left) const {
  right = right_foot.WasPresent() ? *right_foot.GetLastPosition() : MocapMarker::Position();
  left = left_foot.WasPresent() ? *left_foot.GetLastPosition() : MocapMarker::Position();
}

void Drummer::SetPedalParams(int drum, float, bool right) {
  if (!kit || drum < 0 || drum >= int(kit->drums.size())) return;
  const MocapMarker& foot = right ? right_foot : left_foot;
  if (!foot.WasPresent() || !std::isfinite(foot.GetLastPosition()->y)) return;
  kit->drums[drum].pedal_lowest_foot_y = foot.GetLastPosition()->y;
  kit->drums[drum].pedal_foot_range = -m_default_pedal_range_foot;
}
