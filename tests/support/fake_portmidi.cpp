// Replaces PortMidi and PortTime in the test executable (its symbols interpose over the shared
// libraries). Thread-safe, so that writes from several threads are all recorded.
#include "tests/support/fake_portmidi.h"

#include <portmidi.h>
#include <porttime.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <thread>

#include "sound/midi.h"

namespace fake_portmidi {
namespace {

struct FakeStream {
  int device;
  PmTimeProcPtr time_proc;
  bool open;
};

std::mutex mutex;
std::vector<Port> ports;
std::deque<PmDeviceInfo> infos;  // stable addresses
int default_output = pmNoDevice;
std::atomic<int32_t> now{0};
bool fail_opens = false;
bool timer_started = false;
int initialized = 0;
std::vector<Message> messages;
std::vector<OpenCall> opens;
std::deque<FakeStream> streams;
std::atomic<int> writers{0};
std::atomic<int> overlaps{0};
thread_local bool inside_write = false;

void RebuildInfos() {
  infos.clear();
  for (const Port& p : ports) {
    PmDeviceInfo info{};
    info.structVersion = 1;
    info.interf = p.interf.c_str();
    info.name = p.name.c_str();
    info.input = p.input;
    info.output = p.output;
    infos.push_back(info);
  }
}

}  // namespace

void Reset() {
  std::lock_guard<std::mutex> lock(mutex);
  ports.clear();
  infos.clear();
  default_output = pmNoDevice;
  now = 0;
  fail_opens = false;
  timer_started = false;
  initialized = 0;
  messages.clear();
  opens.clear();
  streams.clear();
  overlaps = 0;
}

void SetPorts(const std::vector<Port>& p, int default_out) {
  std::lock_guard<std::mutex> lock(mutex);
  ports = p;
  default_output = default_out;
  RebuildInfos();
}

void SetTime(int32_t ms) { now = ms; }
void FailOpens(bool fail) {
  std::lock_guard<std::mutex> lock(mutex);
  fail_opens = fail;
}

void OpenOnlyOutput(const char* name) {
  Reset();
  SetPorts({{"ALSA", name}}, 0);
  InitMIDI();
  midi_output_number = 0;
  midi_latency = 0;
  OpenMIDIOutput(0);
}

const std::vector<Message>& Messages() { return messages; }
void ClearMessages() {
  std::lock_guard<std::mutex> lock(mutex);
  messages.clear();
}
const std::vector<OpenCall>& Opens() { return opens; }
int OpenStreams() {
  std::lock_guard<std::mutex> lock(mutex);
  int n = 0;
  for (const FakeStream& s : streams) n += s.open ? 1 : 0;
  return n;
}
int Initialized() { return initialized; }
int OverlappingWrites() { return overlaps.load(); }
bool TimerStarted() { return timer_started; }
bool InsideWrite() { return inside_write; }

}  // namespace fake_portmidi

using namespace fake_portmidi;

extern "C" {

PtError Pt_Start(int, PtCallback*, void*) {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  timer_started = true;
  return ptNoError;
}
PtError Pt_Stop() {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  timer_started = false;
  return ptNoError;
}
int Pt_Started() { return timer_started; }
PtTimestamp Pt_Time() { return now.load(); }

PmError Pm_Initialize() {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  ++initialized;
  return pmNoError;
}
PmError Pm_Terminate() {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  --initialized;
  return pmNoError;
}
int Pm_CountDevices() {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  return static_cast<int>(infos.size());
}
PmDeviceID Pm_GetDefaultOutputDeviceID() {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  return default_output;
}
const PmDeviceInfo* Pm_GetDeviceInfo(PmDeviceID id) {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  if (id < 0 || id >= static_cast<int>(infos.size())) return nullptr;
  return &infos[static_cast<size_t>(id)];
}

PmError Pm_OpenOutput(PortMidiStream** stream, PmDeviceID id, void*, int32_t, PmTimeProcPtr proc,
                      void* time_info, int32_t latency) {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  opens.push_back({id, latency, proc != nullptr, proc ? proc(time_info) : -1});
  *stream = nullptr;
  if (fail_opens) return pmHostError;
  if (id < 0 || id >= static_cast<int>(infos.size()) || !infos[static_cast<size_t>(id)].output)
    return pmInvalidDeviceId;
  streams.push_back({id, proc, true});
  *stream = &streams.back();
  return pmNoError;
}

PmError Pm_Close(PortMidiStream* stream) {
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  if (!stream) return pmBadPtr;
  auto* s = static_cast<FakeStream*>(stream);
  if (!s->open) return pmBadPtr;
  s->open = false;
  return pmNoError;
}

PmError Pm_WriteShort(PortMidiStream* stream, PmTimestamp when, int32_t msg) {
  // A real stream is not safe for two writers at once: count writes that overlap another.
  inside_write = true;
  if (writers.fetch_add(1) > 0) ++overlaps;
  for (int i = 0; i < 50; ++i) std::this_thread::yield();
  struct Leave {
    ~Leave() {
      writers.fetch_sub(1);
      inside_write = false;
    }
  } leave;
  std::lock_guard<std::mutex> lock(fake_portmidi::mutex);
  if (!stream) return pmBadPtr;
  auto* s = static_cast<FakeStream*>(stream);
  if (!s->open) return pmBadPtr;
  messages.push_back({s->device, when, msg});
  return pmNoError;
}

}  // extern "C"
