// Synthesises the program's four built-in sounds (16-bit mono WAV at 44100 Hz) and writes them
// as a C++ source of FastLZ-compressed blocks: u32 compressed size, u32 raw size, data.
// Deterministic: the same bytes on every build. Usage: make_sounds OUT.cpp
#include <fastlz.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

// A small linear congruential generator, so the noise is the same everywhere.
struct Noise {
  uint32_t state = 0x12345678u;
  double Next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / static_cast<double>(1u << 23) - 1.0;
  }
};

// Scales to the peak and fades the last `fade_ms` to silence.
std::vector<double> Finish(std::vector<double> s, double peak, double fade_ms) {
  double max = 0.0;
  for (double v : s) max = std::fmax(max, std::fabs(v));
  size_t fade = static_cast<size_t>(fade_ms * kRate / 1000.0);
  for (size_t i = 0; i < s.size(); ++i) {
    s[i] *= max > 0.0 ? peak / max : 0.0;
    size_t from_end = s.size() - 1 - i;
    if (from_end < fade) s[i] *= static_cast<double>(from_end) / static_cast<double>(fade);
  }
  return s;
}

size_t Frames(double ms) { return static_cast<size_t>(ms * kRate / 1000.0); }

// Metronome click: a dry woodblock-like tick, three damped modes and a short strike noise.
std::vector<double> Click() {
  std::vector<double> s(Frames(25.0));
  Noise noise;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double attack = std::fmin(1.0, t / 0.0002);
    double v = 1.00 * std::sin(2 * kPi * 2200.0 * t) * std::exp(-t / 0.005) +
               0.50 * std::sin(2 * kPi * 3420.0 * t) * std::exp(-t / 0.003) +
               0.30 * std::sin(2 * kPi * 880.0 * t) * std::exp(-t / 0.008);
    if (t < 0.0006) v += 0.6 * noise.Next() * (1.0 - t / 0.0006);
    s[i] = v * attack;
  }
  return Finish(s, 0.9, 2.0);
}

// In-air menu button: a soft two-partial blip with a rounded attack.
std::vector<double> Blip() {
  std::vector<double> s(Frames(50.0));
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double attack = t < 0.004 ? 0.5 - 0.5 * std::cos(kPi * t / 0.004) : 1.0;
    double v = std::sin(2 * kPi * 1320.0 * t) + 0.25 * std::sin(2 * kPi * 2640.0 * t);
    s[i] = v * attack * std::exp(-t / 0.015);
  }
  return Finish(s, 0.6, 5.0);
}

// Edit-box error: a dull low buzz, odd harmonics of 98 Hz falling off steeply.
std::vector<double> Buzz() {
  std::vector<double> s(Frames(150.0));
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double v = 0.0;
    for (int k = 1; k <= 9; k += 2) v += std::sin(2 * kPi * 98.0 * k * t) / std::pow(k, 1.5);
    double attack = std::fmin(1.0, t / 0.005);
    s[i] = v * attack;
  }
  return Finish(s, 0.6, 20.0);
}

// Latency test: a 1.5 ms noise burst from the first frame and a short high ping.
std::vector<double> LatencyTest() {
  std::vector<double> s(Frames(40.0));
  Noise noise;
  for (size_t i = 0; i < s.size(); ++i) {
    double t = static_cast<double>(i) / kRate;
    double v = std::sin(2 * kPi * 3000.0 * t) * std::exp(-t / 0.006) * 0.6;
    if (t < 0.0015) v += noise.Next();
    s[i] = v;
  }
  return Finish(s, 0.95, 3.0);
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

std::vector<uint8_t> Wav(const std::vector<double>& s) {
  std::vector<uint8_t> w;
  uint32_t data_bytes = static_cast<uint32_t>(s.size() * 2);
  w.insert(w.end(), {'R', 'I', 'F', 'F'});
  PutU32(w, 36 + data_bytes);
  w.insert(w.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutU32(w, 16);
  PutU16(w, 1);      // PCM
  PutU16(w, 1);      // mono
  PutU32(w, 44100);  // rate
  PutU32(w, 88200);  // bytes a second
  PutU16(w, 2);      // block align
  PutU16(w, 16);     // bits
  w.insert(w.end(), {'d', 'a', 't', 'a'});
  PutU32(w, data_bytes);
  for (double v : s) {
    long q = std::lround(v * 32767.0);
    q = q > 32767 ? 32767 : (q < -32768 ? -32768 : q);
    PutU16(w, static_cast<uint16_t>(static_cast<int16_t>(q)));
  }
  return w;
}

std::vector<uint8_t> Block(const std::vector<uint8_t>& raw) {
  size_t bound = static_cast<size_t>(raw.size() * 1.05) + 1;
  std::vector<uint8_t> packed(bound < 66 ? 66 : bound);
  int size = fastlz_compress(raw.data(), static_cast<int>(raw.size()), packed.data());
  std::vector<uint8_t> block;
  PutU32(block, static_cast<uint32_t>(size));
  PutU32(block, static_cast<uint32_t>(raw.size()));
  block.insert(block.end(), packed.begin(), packed.begin() + size);
  return block;
}

bool WriteArray(FILE* out, const char* name, const std::vector<uint8_t>& bytes) {
  if (fprintf(out, "const unsigned char %s[] = {", name) < 0)
    return false;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (fprintf(out, "%s%u,", i % 24 == 0 ? "\n  " : "", bytes[i]) < 0) return false;
  return fprintf(out, "\n};\n\n") >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: %s OUT.cpp\n", argv[0]);
    return 2;
  }
  std::string temp = std::string(argv[1]) + ".part";
  FILE* out = fopen(temp.c_str(), "w");
  if (!out) {
    perror(temp.c_str());
    return 1;
  }
  bool ok = fprintf(out, "// Generated by tools/sounds/make_sounds.cpp. Do not edit.\n"
                         "#include \"sound/embedded_sounds.h\"\n\n") >= 0 &&
            WriteArray(out, "click_wav_data", Block(Wav(Click()))) &&
            WriteArray(out, "editbox_error_wav_data", Block(Wav(Buzz()))) &&
            WriteArray(out, "latency_test_wav_data", Block(Wav(LatencyTest()))) &&
            WriteArray(out, "distance_menu_button_wav_data", Block(Wav(Blip())));
  ok = fclose(out) == 0 && ok;
  if (!ok || rename(temp.c_str(), argv[1]) != 0) {
    perror(argv[1]);
    remove(temp.c_str());
    return 1;
  }
  return 0;
}
