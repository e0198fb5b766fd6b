// Sample loader threads: element samples arrive head first; the rest of each sample is read in
// the background, chunk by chunk, straight into the sample's buffer.
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "fastlz.h"
#include "frame/events.h"
#include "frame/host_clock.h"
#include "sound/audio.h"
#include "sound/audio_internal.h"

namespace {
constexpr int kChunkBufferSize = 34407;   // the largest compressed chunk
constexpr uint32_t kMaxChunkRaw = 32768;  // PCM bytes in one chunk
constexpr uint32_t kStored = 0xFFFFFFFFu;
// A sample longer than ten minutes is taken for a damaged header.
constexpr uint32_t kMaxSampleFrames = 44100u * 600u;
// FastLZ may read a few bytes past a damaged block: zeros follow every block read.
constexpr int kSlack = 16;

bool ReadU32(std::ifstream& file, uint32_t& value) {
  unsigned char b[4];
  if (!file.read(reinterpret_cast<char*>(b), 4)) return false;
  value = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  return true;
}

// Reads exactly `size` bytes at `offset`; loaders share no file position.
bool ReadAt(int fd, void* out, size_t size, long offset) {
  return pread(fd, out, size, offset) == static_cast<ssize_t>(size);
}

uint32_t U32(const unsigned char* b) {
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
}
}  // namespace

void Audio::LoadRaw(Sound& sound, const char* path, std::ifstream& file, int max_voices) {
  EnsureQueueState();
  ResetSound(sound, kSoundChunked, max_voices);
  sound.cancel.store(0, std::memory_order_relaxed);
  sound.chunk_offset.store(kStored, std::memory_order_relaxed);

  auto fail = [&](const char* what) {
    printf("Audio error: damaged sample in \"%s\" (%s)\n", path ? path : "", what);
    file.setstate(std::ios::failbit);
    sound.loaded.store(1, std::memory_order_release);
  };

  uint32_t total = 0, compressed = 0, raw = 0, rest = 0;
  if (!ReadU32(file, total)) return fail("frame count");
  if (total > kMaxSampleFrames) return fail("frame count");
  if (!ReadU32(file, compressed) || !ReadU32(file, raw)) return fail("head size");
  if (raw > 4ull * total || raw % 4 != 0) return fail("head size");
  int16_t* data = sample_memory_.Take(2 * static_cast<size_t>(total) + 2);
  if (!data) return fail("out of memory");
  sound.data.store(data, std::memory_order_release);
  sound.capacity.store(total, std::memory_order_release);
  if (raw > 15 && compressed != kStored) {
    if (compressed > 2 * kMaxChunkRaw * 4 + 66) return fail("head size");
    if (static_cast<int>(compressed) + kSlack > chunk_buffer_size_) {
      delete[] chunk_buffer_;
      chunk_buffer_size_ = static_cast<int>(compressed * 1.1) + kSlack;
      chunk_buffer_ = new uint8_t[chunk_buffer_size_];
    }
    if (!file.read(reinterpret_cast<char*>(chunk_buffer_), compressed)) return fail("head");
    std::memset(chunk_buffer_ + compressed, 0, kSlack);
    const int got = fastlz_decompress(chunk_buffer_, static_cast<int>(compressed), data,
                                      static_cast<int>(raw));
    if (got != static_cast<int>(raw)) return fail("head");
  } else if (raw > 0) {
    if (!file.read(reinterpret_cast<char*>(data), raw)) return fail("head");
  }
  sound.frames.store(raw / 4, std::memory_order_release);
  if (!ReadU32(file, rest)) return fail("rest offset");

  if (raw / 4 != total) {
    sound.path = path ? path : "";
    sound.chunk_offset.store(rest, std::memory_order_relaxed);
    sound.cancel.store(0, std::memory_order_relaxed);
    pthread_mutex_lock(&queue_mutex_);
    normal_queue_.push_back(&sound);
    SetEvent(queue_event_);
    pthread_mutex_unlock(&queue_mutex_);
  } else {
    sound.loaded.store(1, std::memory_order_release);
  }
}

namespace {

// One chunk of a sample's rest: where its block is in the file and where it goes.
struct ChunkPlace {
  long offset;
  uint32_t compressed, raw, first_frame;
};

// The chunks of a rest from file offset `offset` on, their headers checked as they are read:
// the list ends at the terminator, at the end of the file or before the first damaged header.
std::vector<ChunkPlace> MapChunks(int fd, uint32_t offset, uint32_t frames, uint32_t capacity) {
  std::vector<ChunkPlace> chunks;
  for (long at = offset;;) {
    unsigned char header[8];
    if (!ReadAt(fd, header, 8, at)) break;
    const uint32_t compressed = U32(header), raw = U32(header + 4);
    if (static_cast<int32_t>(raw) < 1) break;
    // A damaged chunk (too large, or more frames than announced) ends the sample.
    if (raw > kMaxChunkRaw || frames + raw / 4 > capacity) break;
    const bool packed = raw > 15 && compressed != kStored;
    if (packed && compressed > static_cast<uint32_t>(kChunkBufferSize)) break;
    chunks.push_back({at + 8, compressed, raw, frames});
    frames += raw / 4;
    at += 8 + static_cast<long>(packed ? compressed : raw);
  }
  return chunks;
}

// Reads one chunk into the sample's buffer; false when it is damaged or cut short.
bool LoadChunk(int fd, const ChunkPlace& c, int16_t* data, uint8_t* buffer) {
  int16_t* dest = data + 2 * static_cast<size_t>(c.first_frame);
  if (c.raw <= 15 || c.compressed == kStored) return ReadAt(fd, dest, c.raw, c.offset);
  if (!ReadAt(fd, buffer, c.compressed, c.offset)) return false;
  std::memset(buffer + c.compressed, 0, kSlack);
  return fastlz_decompress(buffer, static_cast<int>(c.compressed), dest, static_cast<int>(c.raw)) ==
         static_cast<int>(c.raw);
}

}  // namespace

// A rest split into chunks: whoever holds the job takes the next chunk not yet taken, so
// several loaders decompress one long sample at once. The sample's frame count moves on only
// over the chunks done in order from the first, as when one loader reads them all, and stops
// for good before a damaged one.
struct Audio::ChunkJob {
  ChunkJob(Sound* s, std::vector<ChunkPlace> places)
      : sound(s), path(s->path), data(s->data.load(std::memory_order_acquire)),
        chunks(std::move(places)), done(chunks.size(), 0) {}

  // Takes chunks until none is left or the sample is being freed.
  void Work(int fd, uint8_t* buffer) {
    for (;;) {
      if (sound->cancel.load(std::memory_order_acquire)) return;
      const size_t i = next.fetch_add(1, std::memory_order_relaxed);
      if (i >= chunks.size()) return;
      Finish(i, LoadChunk(fd, chunks[i], data, buffer));
    }
  }
  bool Unclaimed() const { return next.load(std::memory_order_relaxed) < chunks.size(); }

  Sound* sound;
  std::string path;
  int16_t* data;
  std::vector<ChunkPlace> chunks;
  std::atomic<size_t> next{0};
  int helpers = 0;  // loaders other than the owner at work on it (under queue_mutex_)

 private:
  void Finish(size_t i, bool ok) {
    std::lock_guard<std::mutex> lock(publish);
    done[i] = ok ? 1 : 2;
    if (!ok) next.store(chunks.size(), std::memory_order_relaxed);  // nothing after it counts
    const size_t before = published;
    while (published < chunks.size() && done[published] == 1) ++published;
    if (published == before) return;
    const ChunkPlace& last = chunks[published - 1];
    sound->frames.store(last.first_frame + last.raw / 4, std::memory_order_release);
  }

  std::mutex publish;
  std::vector<uint8_t> done;  // per chunk: 0 not yet, 1 read, 2 damaged (under publish)
  size_t published = 0;
};

// An idle loader joins a rest still being read; false when there is none to help with.
bool Audio::HelpWithChunks(Audio* a, uint8_t* buffer) {
  ChunkJob* job = nullptr;
  pthread_mutex_lock(&a->queue_mutex_);
  for (ChunkJob* j : a->chunk_jobs_)
    if (j->Unclaimed()) {
      job = j;
      ++job->helpers;
      break;
    }
  pthread_mutex_unlock(&a->queue_mutex_);
  if (!job) return false;
  const int fd = open(job->path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    job->Work(fd, buffer);
    close(fd);
  }
  pthread_mutex_lock(&a->queue_mutex_);
  if (--job->helpers == 0) pthread_cond_broadcast(&a->helpers_left_);
  pthread_mutex_unlock(&a->queue_mutex_);
  return true;
}

// Reads a sample's rest with whichever loaders are idle; returns once no one reads it.
void Audio::ReadRest(Audio* a, Sound* sound, uint32_t offset, uint8_t* buffer) {
  const int fd = open(sound->path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  ChunkJob job(sound, MapChunks(fd, offset, sound->frames.load(std::memory_order_relaxed),
                                       sound->capacity.load(std::memory_order_acquire)));
  const bool shared = job.chunks.size() > 1;
  if (shared) {
    pthread_mutex_lock(&a->queue_mutex_);
    a->chunk_jobs_.push_back(&job);
    SetEvent(a->queue_event_);
    pthread_mutex_unlock(&a->queue_mutex_);
  }
  job.Work(fd, buffer);
  close(fd);
  if (!shared) return;
  pthread_mutex_lock(&a->queue_mutex_);
  std::erase(a->chunk_jobs_, &job);
  // Each helper finishes the one chunk it holds.
  while (job.helpers) pthread_cond_wait(&a->helpers_left_, &a->queue_mutex_);
  pthread_mutex_unlock(&a->queue_mutex_);
}

Audio::Sound* Audio::PopQueued(Audio* a) {
  Sound* sound = nullptr;
  pthread_mutex_lock(&a->queue_mutex_);
  if (!a->priority_queue_.empty()) {
    sound = a->priority_queue_.front();
    a->priority_queue_.pop_front();
  } else if (!a->normal_queue_.empty()) {
    sound = a->normal_queue_.front();
    a->normal_queue_.pop_front();
  }
  pthread_mutex_unlock(&a->queue_mutex_);
  return sound;
}

void Audio::ReadQueued(Audio* a, Sound* sound, uint8_t* buffer) {
  const uint32_t offset = sound->chunk_offset.load(std::memory_order_relaxed);
  if (offset != kStored) ReadRest(a, sound, offset, buffer);
  sound->chunk_offset.store(kStored, std::memory_order_relaxed);
  sound->loaded.store(1, std::memory_order_release);
}

void* Audio::RawThreadMain(void* arg) {
  RawThread* self = static_cast<RawThread*>(arg);
  Audio* a = self->audio;
  uint8_t* chunk = new uint8_t[kChunkBufferSize + kSlack];
  for (;;) {
    pthread_mutex_lock(&a->queue_mutex_);
    const bool empty = a->normal_queue_.empty() && a->priority_queue_.empty();
    pthread_mutex_unlock(&a->queue_mutex_);
    if (empty && !a->raw_stop_.load(std::memory_order_acquire)) {
      if (HelpWithChunks(a, chunk)) continue;
      // The time-out only guards against a lost wake-up; the event normally wakes us.
      WaitForSingleObject(a->queue_event_, 200);
      // Once stopping has begun the event stays set, so every loader sees it at once.
      pthread_mutex_lock(&a->queue_mutex_);
      if (!a->raw_stop_.load(std::memory_order_acquire)) ResetEvent(a->queue_event_);
      pthread_mutex_unlock(&a->queue_mutex_);
    }
    if (a->raw_stop_.load(std::memory_order_acquire)) break;
    if (Sound* sound = PopQueued(a)) ReadQueued(a, sound, chunk);
  }
  delete[] chunk;
  SetEvent(self->done);
  return nullptr;
}

void Audio::FinishRawLoading() {
  EnsureQueueState();
  uint8_t* chunk = new uint8_t[kChunkBufferSize + kSlack];
  for (;;) {
    if (Sound* sound = PopQueued(this))
      ReadQueued(this, sound, chunk);
    else if (!HelpWithChunks(this, chunk))
      break;
  }
  delete[] chunk;
}

void Audio::StartRawThreads(int count) {
  EnsureQueueState();
  if (!raw_threads_.empty()) return;
  raw_stop_.store(false, std::memory_order_release);
  pthread_mutex_lock(&queue_mutex_);
  if (!normal_queue_.empty() || !priority_queue_.empty()) SetEvent(queue_event_);
  pthread_mutex_unlock(&queue_mutex_);
  for (int i = 0; i < count; ++i) {
    RawThread* t = new RawThread;
    t->audio = this;
    t->done = CreateEvent(nullptr, true, false);
    if (pthread_create(&t->thread, nullptr, RawThreadMain, t) != 0) {
      CloseHandle(t->done);
      delete t;
      continue;
    }
    raw_threads_.push_back(t);
  }
}

void Audio::StopRawThreads() {
  if (raw_threads_.empty()) return;
  pthread_mutex_lock(&queue_mutex_);
  raw_stop_.store(true, std::memory_order_release);
  SetEvent(queue_event_);
  pthread_mutex_unlock(&queue_mutex_);
  for (RawThread* t : raw_threads_) {
    // A thread finishes the sample in hand first; a long read is reported, then awaited.
    if (WaitForSingleObject(t->done, 10000) != 0)
      printf("Audio error: a sample loader is slow to stop\n");
    pthread_join(t->thread, nullptr);
    CloseHandle(t->done);
    delete t;
  }
  raw_threads_.clear();
}

int Audio::GetRawQueueSize() const {
  pthread_mutex_lock(&queue_mutex_);
  const int n = static_cast<int>(normal_queue_.size() + priority_queue_.size());
  pthread_mutex_unlock(&queue_mutex_);
  return n;
}

void Audio::FreeSound(Sound& sound) {
  const uint32_t state = sound.state.load(std::memory_order_relaxed);
  if (state == kSoundOggSong && ogg_loader_ && ogg_loader_->target == &sound) WaitForLoadOggAsync(false);
  if (state == kSoundMp3Song && mp3_loader_ && mp3_loader_->target == &sound) {
    WaitForLoadMp3Async(false);
  }
  if (state == kSoundChunked) {
    bool removed = false;
    pthread_mutex_lock(&queue_mutex_);
    for (auto* q : {&normal_queue_, &priority_queue_}) {
      for (auto it = q->begin(); it != q->end(); ++it) {
        if (*it == &sound) {
          q->erase(it);
          removed = true;
          break;
        }
      }
      if (removed) break;
    }
    pthread_mutex_unlock(&queue_mutex_);
    if (removed) {
      sound.loaded.store(1, std::memory_order_release);
    } else if (!sound.IsLoaded()) {
      // A loader thread reads it: ask it to stop and wait until it has let go.
      sound.cancel.store(1, std::memory_order_release);
      const uint64_t deadline = HostTimeNanos() + 30000000000ull;
      while (!sound.IsLoaded()) {
        if (HostTimeNanos() > deadline) {
          printf("Audio error: a sample loader does not let go of a sample\n");
          return;  // keep the data rather than free it under a reader
        }
        usleep(1000);
      }
    }
  }
  if (state == kSoundMp3Song && mp3_loader_) {
    auto& retired = mp3_loader_->retired;
    for (auto it = retired.begin(); it != retired.end();) {
      if (it->first == &sound) {
        delete[] it->second;
        it = retired.erase(it);
      } else {
        ++it;
      }
    }
    if (mp3_loader_->target == &sound) mp3_loader_->target = nullptr;
  }
  if (state == kSoundOggSong && ogg_loader_ && ogg_loader_->target == &sound) ogg_loader_->target = nullptr;
  if (!sound.IsLoaded()) {
    if (state == kSoundMp3Song || state == kSoundOggSong) sound.state.store(kSoundEmpty, std::memory_order_relaxed);
    return;
  }
  int16_t* data = sound.data.exchange(nullptr, std::memory_order_acq_rel);
  if (state == kSoundChunked)
    sample_memory_.Give(data);
  else
    delete[] data;
  sound.frames.store(0, std::memory_order_release);
  sound.capacity.store(0, std::memory_order_relaxed);
  sound.max_voices = 0;
  sound.loaded.store(0, std::memory_order_release);
  sound.state.store(kSoundEmpty, std::memory_order_relaxed);
}
