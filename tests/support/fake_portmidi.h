// A fake PortMidi and PortTime for tests: a port list set by the test, a clock the test drives
// and a record of every message written with its time stamp. Link skyt_fake_portmidi.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace fake_portmidi {

struct Port {
  std::string interf;
  std::string name;
  bool input = false;
  bool output = true;
};

struct Message {
  int device;        // the device the stream was opened on
  int32_t when;      // the time stamp given to Pm_WriteShort
  int32_t message;   // status | data1 << 8 | data2 << 16
  int status() const { return message & 0xFF; }
  int data1() const { return (message >> 8) & 0xFF; }
  int data2() const { return (message >> 16) & 0xFF; }
};

struct OpenCall {
  int device;
  int32_t latency;
  bool has_time_proc;
  int32_t time_from_proc;  // what the time procedure returned at the open (-1 without one)
};

// Forgets ports, messages and calls; the clock goes back to 0.
void Reset();
void SetPorts(const std::vector<Port>& ports, int default_output);
void SetTime(int32_t ms);  // what Pt_Time returns
void FailOpens(bool fail);  // Pm_OpenOutput reports a host error
// After Reset: one output port `name`, opened by the program's MIDI output at latency 0
// (the test also links the sound library).
void OpenOnlyOutput(const char* name);

const std::vector<Message>& Messages();
void ClearMessages();
const std::vector<OpenCall>& Opens();
int OpenStreams();  // streams opened and not closed
int Initialized();  // Pm_Initialize calls minus Pm_Terminate calls
bool TimerStarted();
int OverlappingWrites();  // writes that began while another write was still inside
// True on a thread while it is inside Pm_WriteShort: the fake's bookkeeping locks and
// allocates there, which a real stream's write does not.
bool InsideWrite();

}  // namespace fake_portmidi
