// The machine's sound devices as PortAudio lists them when it is initialised. PortAudio is kept
// initialised across device changes, as terminating it closes its JACK client and initialising
// it opens a new one, which on a busy machine leaves the JACK library on freed state, aborts or
// waits for minutes. It is initialised again only when the set of devices has changed, so that
// a card plugged in or a JACK server started since still shows on the audio-device screen, or
// when PortAudio missed a JACK server that was there (a busy server may not answer it in time).
#include <alsa/asoundlib.h>

#include <cstdio>
#include <cstdlib>

#include "sound/audio.h"
#include "sound/jack_keeper.h"

std::string Audio::ListCards() {
  std::string list;
  for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) {
    list += "card " + std::to_string(card);
    char* name = nullptr;
    if (snd_card_get_name(card, &name) == 0) {
      list += std::string(" ") + name;
      free(name);
    }
    list += "\n";
  }
  return list;
}

bool Audio::PortAudioReachedJack() {
  const PaHostApiIndex api = Pa_HostApiTypeIdToHostApiIndex(paJACK);
  const PaHostApiInfo* info = api >= 0 ? Pa_GetHostApiInfo(api) : nullptr;
  return info && info->deviceCount > 0;
}

bool Audio::DevicesChanged() {
  if (!pa_initialised_ || portaudio_held_) return false;
  if (jack_keeper::ServerEnded()) {
    // Terminating PortAudio now would close its client of the ended server, which aborts.
    portaudio_held_ = true;
    printf("Warning: the JACK server ended; to use it again, start the JACK server, then start Skytapper again\n");
    fflush(stdout);
    return false;
  }
  return ListCards() != listed_cards_ || jack_keeper::Refresh() != listed_jack_;
}
