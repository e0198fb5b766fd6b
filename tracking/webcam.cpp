// Webcam: settings, frame intake, the camera picture and the lens vignette.
#include "tracking/webcam.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "render/airwidget_drawing.h"
#include "tracking/ps3eye_glue.h"

Webcam::Webcam() = default;

Webcam::~Webcam() { CleanUp(); }

namespace {

// Reads one integer of [Webcam]; a value outside [lo, hi] is reported and brought inside.
void ReadSetting(const IniFile& settings, const char* key, int lo, int hi, int32_t& value) {
  int v = 0;
  if (!settings.GetInt("Webcam", key, v)) return;
  if (v < lo || v > hi) {
    const int c = std::clamp(v, lo, hi);
    printf("Warning: [Webcam] %s = %d is out of range (%d to %d); using %d\n", key, v, lo, hi, c);
    v = c;
  }
  value = v;
}

// Per row of an ellipse with the given half-axes centred in a w x h picture: the first column
// inside and the first column after it.
void EllipseSpans(int (*spans)[2], int w, int h, float r) {
  const float r2 = r * r;
  for (int y = 0; y < h; ++y) {
    spans[y][0] = 0;
    spans[y][1] = w - 1;
    const float dy = float(y - h / 2) * 0.7894737f;
    bool inside = false;
    for (int x = 0; x < w; ++x) {
      const float dx = float(x - w / 2);
      const bool in = dx * dx + dy * dy < r2;
      if (!inside && in) {
        spans[y][0] = x;
        inside = true;
      } else if (inside && !in) {
        spans[y][1] = x;
        break;
      }
    }
  }
}

// What texture uploads do to each colour: value * scale + bias.
void SetPixelTransfer(float scale, float bias) {
  for (GLenum c : {GL_RED_SCALE, GL_GREEN_SCALE, GL_BLUE_SCALE}) glPixelTransferf(c, scale);
  for (GLenum c : {GL_RED_BIAS, GL_GREEN_BIAS, GL_BLUE_BIAS}) glPixelTransferf(c, bias);
}

}  // namespace

void Webcam::BuildSpans() {
  EllipseSpans(m_qvga_spans, 320, 240, 150.0f);
  EllipseSpans(m_vga_spans, 640, 480, 300.0f);
}

void Webcam::SetThreshold(int threshold) { m_threshold = std::clamp(threshold, 0, 254); }

bool Webcam::Init(const IniFile& settings) {
  if (!m_qvga_frame) m_qvga_frame = new uint8_t[kQvgaFrameBytes]();
  if (!m_dead_pixels) m_dead_pixels = new uint8_t[kWidth * kHeight]();
  if (!m_vga_frame) m_vga_frame = new uint8_t[kVgaFrameBytes]();
  if (!m_qvga_image.texture) m_qvga_image.Init(Image::LUMINANCE_DROP_ALPHA, 320, 240, nullptr);
  if (!m_vga_image.texture) m_vga_image.Init(Image::RGB, 640, 480, nullptr);

  // A threshold of 255 leaves no weight range; below 0 every pixel would be bright.
  ReadSetting(settings, "Gain", 0, 63, m_gain);
  ReadSetting(settings, "Exposure_Mocap", 0, 511, m_exposure);
  ReadSetting(settings, "Exposure_VGA", 0, 511, m_exposure_vga);
  ReadSetting(settings, "Threshold", 0, 254, m_threshold);
  ReadSetting(settings, "Process priority", 0, 2, m_process_priority);

  BuildSpans();

  if (PSEyeInit() != 0) return false;
  PSEyeStart(m_mode);
  if (m_mode == 1) {
    PSEyeSetParameter(3, m_gain);
    PSEyeSetParameter(5, m_exposure);
  }
  return true;
}

bool Webcam::Update(bool upload) {
  m_frame_is_new = false;
  if (m_mode != 0 && m_mode != 1) return true;
  const bool tracking = m_mode == 1;  // QVGA YUYV; mode 0 is VGA RGB inside its spans
  uint8_t* frame = tracking ? m_qvga_frame : m_vga_frame;
  if (!frame) return true;
  bool is_new = false;
  const bool ok = PSEyeGetFrame(frame, tracking ? nullptr : m_vga_spans, &is_new);
  m_frame_is_new = ok && is_new;
  if (!ok || !upload) return ok;
  if (!tracking) {
    if (is_new && m_vga_image.texture) m_vga_image.UpdateData(m_vga_frame);
    return true;
  }
  if (graphics_mode != kGraphicsNormal && render_what != kPhaseBackground) return true;
  if (!is_new || !m_qvga_image.texture) return true;  // the texture already shows it
  // Tracking exposure is dark: show twice the luminance plus 100/255.
  SetPixelTransfer(2.0f, 0.39215687f);
  m_qvga_image.UpdateData(m_qvga_frame);
  SetPixelTransfer(1.0f, 0.0f);
  return true;
}

bool Webcam::ChangeMode(int mode) {
  if (mode == m_mode) return false;
  m_mode = mode;
  PSEyeStop();
  PSEyeStart(mode);
  if (mode == 1) {
    PSEyeSetParameter(3, m_gain);
    PSEyeSetParameter(5, m_exposure);
  }
  m_frame_counter = 0;
  m_pop_tracking = 0;
  m_frame_is_new = false;
  return true;
}

void Webcam::Draw(float alpha) {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, m_mode != 0 ? m_qvga_image.texture : m_vga_image.texture);
  glColor4f(1.0f, 1.0f, 1.0f, alpha);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 1);
  glVertex2f(WebcamXToWindowX(0), WebcamYToWindowY(0));
  glTexCoord2f(0, 0);
  glVertex2f(WebcamXToWindowX(0), WebcamYToWindowY(239));
  glTexCoord2f(1, 0);
  glVertex2f(WebcamXToWindowX(319), WebcamYToWindowY(239));
  glTexCoord2f(1, 1);
  glVertex2f(WebcamXToWindowX(319), WebcamYToWindowY(0));
  glEnd();
  glDisable(GL_TEXTURE_2D);
}

void Webcam::DrawVignette() {
  int a = 0, b = 0;
  PSEyeGetVignette(&a, &b);
  WebcamVignette(150.0f, 190.0f);
}

void Webcam::HandleUnplug() {
  PSEyeStop();
  PSEyeDestroy();
  m_frame_is_new = false;
}

void Webcam::CleanUp() {
  PSEyeDestroy();
  delete[] m_qvga_frame;
  delete[] m_dead_pixels;
  delete[] m_vga_frame;
  m_qvga_frame = m_dead_pixels = m_vga_frame = nullptr;
  m_qvga_image.CleanUp();
  m_vga_image.CleanUp();
}

void Webcam::SaveIniFileSection(FILE* file, const IniFile&) const {
  fprintf(file, "[Webcam]\n");
  fprintf(file, "Gain = %d\n", m_gain);
  fprintf(file, "Exposure_Mocap = %d\n", m_exposure);
  fprintf(file, "Exposure_VGA = %d\n", m_exposure_vga);
  fprintf(file, "Threshold = %d\n", m_threshold);
  fprintf(file, "\n");
  fprintf(file, ";Process priority class:\n");
  fprintf(file, ";0: High priority\n");
  fprintf(file, ";1: Above normal priority\n");
  fprintf(file, ";2: Normal priority\n");
  fprintf(file, "Process priority = %d\n\n", m_process_priority);
}

void Webcam::ResetDeadPixels() {
  if (m_dead_pixels) memset(m_dead_pixels, 0, kWidth * kHeight);
}

void Webcam::SetDeadPixel(int x, int y) {
  if (m_dead_pixels && x >= 0 && x < kWidth && y >= 0 && y < kHeight)
    m_dead_pixels[y * kWidth + x] = 1;
}

bool Webcam::IsDeadPixel(int x, int y) const {
  return m_dead_pixels && x >= 0 && x < kWidth && y >= 0 && y < kHeight &&
         m_dead_pixels[y * kWidth + x] != 0;
}

bool Webcam::MakeEdgeImage(const uint8_t* rgb, Image& image) {
  constexpr int W = 640, H = 480;
  static float kernel[9][9];
  static bool kernel_ready = false;
  if (!kernel_ready) {
    float sum = 0;
    for (int i = 0; i < 9; ++i)
      for (int j = 0; j < 9; ++j) sum += kernel[i][j] = std::exp(-float((i - 4) * (i - 4) + (j - 4) * (j - 4)) / 18.0f);
    for (auto& row : kernel)
      for (float& k : row) k /= sum;
    kernel_ready = true;
  }
  std::vector<float> smooth(size_t(W) * H * 3, 0.0f);
  for (int y = 3; y <= 476; ++y) {
    const int s = std::max(m_vga_spans[y][0] + 3, 4), e = std::min(m_vga_spans[y][1] - 3, W - 4);
    for (int x = s; x < e; ++x) {
      for (int c = 0; c < 3; ++c) {
        float acc = 0;
        for (int i = 0; i < 9; ++i) {
          const int yy = std::clamp(y + i - 4, 0, H - 1);
          for (int j = 0; j < 9; ++j) acc += kernel[i][j] * rgb[(size_t(yy) * W + (x + j - 4)) * 3 + c];
        }
        smooth[(size_t(y) * W + x) * 3 + c] = acc;
      }
    }
  }
  std::vector<float> grad(size_t(W) * H, 0.0f);
  float largest = 0;
  for (int y = 4; y <= 475; ++y) {
    const int s = std::max(m_vga_spans[y][0] + 4, 1), e = std::min(m_vga_spans[y][1] - 4, W - 1);
    for (int x = s; x < e; ++x) {
      float g = 0;
      for (int c = 0; c < 3; ++c) {
        const float gx = smooth[(size_t(y) * W + x + 1) * 3 + c] - smooth[(size_t(y) * W + x - 1) * 3 + c];
        const float gy = smooth[(size_t(y + 1) * W + x) * 3 + c] - smooth[(size_t(y - 1) * W + x) * 3 + c];
        g += std::sqrt(gx * gx + gy * gy);
      }
      grad[size_t(y) * W + x] = g;
      largest = std::max(largest, g);
    }
  }
  std::vector<uint8_t> out(size_t(W) * H, 0);
  const float scale = largest > 0 ? 255.0f / (largest * 0.5f) : 0.0f;
  for (size_t i = 0; i < out.size(); ++i) out[i] = uint8_t(std::clamp(grad[i] * scale, 0.0f, 255.0f));
  image.UpdateData(out.data());
  return true;
}

bool Webcam::MakeEdgeImageQVGABW(const uint8_t* grey, Image& image) {
  std::vector<uint8_t> out(size_t(kWidth) * kHeight, 0);
  for (int y = 1; y <= 238; ++y) {
    const int s = std::max(m_qvga_spans[y][0], 1), e = std::min(m_qvga_spans[y][1], kWidth - 1);
    for (int x = s; x < e; ++x) {
      if (grey[y * kWidth + x] > m_threshold) continue;
      bool edge = false;
      for (int dy = -1; dy <= 1 && !edge; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
          if ((dx || dy) && grey[(y + dy) * kWidth + x + dx] > m_threshold) {
            edge = true;
            break;
          }
      if (edge) out[y * kWidth + x] = 255;
    }
  }
  image.UpdateData(out.data());
  return true;
}
