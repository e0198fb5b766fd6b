// A stream that stops without being asked: the device vanished or its JACK server ended. The
// player hears the drums fall silent; the terminal says why and what brings the sound back.
#include <cstdio>

#include "sound/audio.h"

bool Audio::IsJackDevice(const PaDeviceInfo* info) {
  const PaHostApiInfo* api = info ? Pa_GetHostApiInfo(info->hostApi) : nullptr;
  return api && api->type == paJACK;
}

// The callback's word is read after the stream is seen idle, so that an end the hook asked for
// is never taken for a loss.
bool Audio::StoppedByItself() const {
  return stream_ && Pa_IsStreamStopped(stream_) == 0 && Pa_IsStreamActive(stream_) == 0 &&
         !stream_completed_.load(std::memory_order_acquire);
}

bool Audio::OnEndedJackServer() const {
  return StoppedByItself() && IsJackDevice(Pa_GetDeviceInfo(device_index_in_use_));
}

void Audio::ReportStoppedStream() {
  if (stream_stop_reported_ || !StoppedByItself()) return;
  stream_stop_reported_ = true;
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device_index_in_use_);
  const char* name = info ? info->name : "?";
  // A JACK client cannot join a server started again, and PortAudio keeps its client until the
  // program ends: only a new start of the program reaches the new server.
  if (IsJackDevice(info)) {
    printf("Warning: the sound stopped: the JACK server of the audio device \"%s\" ended; start the JACK "
           "server again, then start Skytapper again\n", name);
  } else {
    printf("Warning: the sound stopped: the audio device \"%s\" is gone (unplugged or failed); connect it "
           "again, then choose it on the latency screen and Apply\n", name);
  }
  fflush(stdout);
}
