// A device that refuses a stream, at the seam between the engine and PortAudio: the next
// `refused_opens` stream opens fail as on a device that is busy or cannot be used, so that a
// device change goes on to its fallbacks. Include it in one source file of a program.
#pragma once
#include <dlfcn.h>
#include <portaudio.h>

int refused_opens = 0;

extern "C" PaError Pa_OpenStream(PaStream** stream, const PaStreamParameters* in, const PaStreamParameters* out,
                                 double rate, unsigned long frames, PaStreamFlags flags,
                                 PaStreamCallback* callback, void* user) {
  using Open = PaError (*)(PaStream**, const PaStreamParameters*, const PaStreamParameters*, double,
                           unsigned long, PaStreamFlags, PaStreamCallback*, void*);
  static const Open real = reinterpret_cast<Open>(dlsym(RTLD_NEXT, "Pa_OpenStream"));
  if (refused_opens > 0) {
    --refused_opens;
    return paDeviceUnavailable;
  }
  return real(stream, in, out, rate, frames, flags, callback, user);
}
