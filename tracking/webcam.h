// The camera as the rest of the program sees it: frame intake, the camera picture, the lens
// vignette, the blob finder, lighting checks and the dead-pixel mask. One global: `webcam`.
#pragma once
#include <cstdint>
#include <cstdio>

#include "render/image.h"
#include "render/webcam_window.h"

class IniFile;

class Webcam : public WebcamWindowMapping {
 public:
  // One bright blob in QVGA pixels (x right, y down).
  struct Blob {
    float x = 0;       // luminance-weighted centre
    float y = 0;
    float radius = 0;  // radius of a disc of the same weighted area
    int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    int32_t maxLuma = 0;
  };

  static constexpr int kWidth = 320;
  static constexpr int kHeight = 240;
  static constexpr int kQvgaFrameBytes = kWidth * kHeight * 2;  // YUYV
  static constexpr int kVgaFrameBytes = 640 * 480 * 3;          // RGB

  // Lighting status codes (FindBlobs / BadLightingSuspected).
  enum Status {
    kStatusOk = 0,
    kStatusTooManyBlobs = 1,    // more blobs than asked, at most twice: largest returned
    kStatusPopping = 2,         // 5 or more marker pops in the last 251 frames
    kStatusBlobTooLarge = 3,    // a blob of 400 pixels or more was dropped
    kStatusSettling = 4,        // first 198 frames after a mode change
    kStatusFarTooManyBlobs = 5, // more than twice as many blobs as asked: none returned
    kStatusOverflow = 6,        // more than 4096 runs or 16321+ bright pixels
  };

  Webcam();
  ~Webcam();
  Webcam(const Webcam&) = delete;
  Webcam& operator=(const Webcam&) = delete;

  // Allocates the buffers and textures, reads [Webcam], starts the camera in the current mode.
  // False when no camera could be started (the buffers exist all the same).
  bool Init(const IniFile& settings);
  // Takes the newest camera frame and (when upload) puts it into the picture texture. False
  // once the camera is lost: the caller then runs HandleUnplug.
  bool Update(bool upload);
  // True when the last Update brought a frame not seen before; tracking skips repeated frames.
  bool IsNewFrame() const { return m_frame_is_new; }
  // 1 = QVGA marker tracking, 0 = VGA colour view. False when already in that mode.
  bool ChangeMode(int mode);
  int GetMode() const { return m_mode; }
  void Draw(float alpha);
  void DrawVignette();
  void HandleUnplug();
  void CleanUp();
  // Writes the [Webcam] section of the settings file.
  void SaveIniFileSection(FILE* file, const IniFile& settings) const;

  // Blob finder: at most max blobs of the current QVGA frame; sets the status.
  int FindBlobs(Blob* out, int max);
  // Windowed finder used to split merged blobs: rows y0..y1 and columns x0..x1 (inclusive),
  // bright at luminance >= threshold; never touches the status.
  int FindBlobs(Blob* out, int max, int threshold, int x0, int x1, int y0, int y1);
  // Completes the frame's status with the settling period and the pop count; advances the
  // frame counter. Called once per tracking frame after FindBlobs.
  int BadLightingSuspected(int count);
  void RecordMocapMarkerPop();
  void ResetDeadPixels();
  void SetDeadPixel(int x, int y);
  bool IsDeadPixel(int x, int y) const;

  // Splits a merged blob by searching its box at rising thresholds.
  bool UnmergeBlobs(const Blob& merged, Blob* out);
  // Places two discs of radii r2 (out[0]) and r1 (out[1]) in opposite corners of the box;
  // false when both stand on the merged centre.
  bool RecoverMergedBlobs(const Blob& merged, float r1, float r2, Blob* out);

  // Unused by the program; kept with the class.
  bool MakeEdgeImage(const uint8_t* rgb, Image& image);
  bool MakeEdgeImageQVGABW(const uint8_t* grey, Image& image);

  // The current QVGA frame (YUYV, luminance of (x, y) at byte (y * 320 + x) * 2), null before
  // Init. Writable for the set-up wizard and for tests that feed synthetic frames.
  uint8_t* GetQVGAFrame() { return m_qvga_frame; }
  const uint8_t* GetQVGAFrame() const { return m_qvga_frame; }
  const uint8_t* GetVGAFrame() const { return m_vga_frame; }
  const uint8_t* GetDeadPixelMask() const { return m_dead_pixels; }
  uint8_t* GetDeadPixelMask() { return m_dead_pixels; }  // the lighting check writes it
  // Per row: first column inside the lens vignette, first column after it.
  const int (*GetQVGASpans() const)[2] { return m_qvga_spans; }
  const int (*GetVGASpans() const)[2] { return m_vga_spans; }

  int GetThreshold() const { return m_threshold; }
  void SetThreshold(int threshold);  // clamped to 0..254
  int GetGain() const { return m_gain; }
  int GetExposure() const { return m_exposure; }
  int GetExposureVGA() const { return m_exposure_vga; }
  int GetProcessPriority() const { return m_process_priority; }
  int GetStatus() const { return m_status; }
  int GetFrameCounter() const { return m_frame_counter; }
  // Frames since the last mode change start again from 0 (the lighting check waits 198 frames).
  void ResetFrameCounter() { m_frame_counter = 0; }

  const Image& GetQVGAImage() const { return m_qvga_image; }
  const Image& GetVGAImage() const { return m_vga_image; }

 private:
  void BuildSpans();

  uint8_t* m_qvga_frame = nullptr;
  uint8_t* m_dead_pixels = nullptr;
  Image m_qvga_image;
  int32_t m_threshold = 120;
  int32_t m_gain = 0;
  int32_t m_exposure = 73;
  int32_t m_mode = 1;
  uint8_t* m_vga_frame = nullptr;
  int32_t m_exposure_vga = 511;
  Image m_vga_image;
  int32_t m_process_priority = 2;
  int m_qvga_spans[240][2] = {};
  int m_vga_spans[480][2] = {};
  int32_t m_status = 0;
  int32_t m_frame_counter = 0;
  uint8_t m_pop_tracking = 0;
  // The frames of the last kPopsForStatus marker pops, a ring (the oldest at m_pop_next once
  // full): five pops within 251 frames make the popping status, so no older pop ever matters.
  static constexpr int kPopsForStatus = 5;
  int32_t m_pop_frames[kPopsForStatus] = {};
  int32_t m_pop_count = 0;  // up to kPopsForStatus
  int32_t m_pop_next = 0;
  bool m_frame_is_new = false;
};

extern Webcam webcam;

// Union-find over arrays laid out like the blob finder's: an entry > 0 is the parent label,
// an entry <= 0 marks a root and holds minus (set size - 1). Used by the set-up wizard too.
int find(int label, int* array);
int Union(int a, int b, int* array);
