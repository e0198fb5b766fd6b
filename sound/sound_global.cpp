#include "sound/sound.h"

Sound sound;
