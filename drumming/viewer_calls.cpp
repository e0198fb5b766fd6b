#include "drumming/viewer_calls.h"

ViewerCalls viewer_calls = {
    [] { return false; },
    [](int, float, unsigned char) {},
    [](float, float, float, float, float, float, float, float, float, float, float) {},
    [](int, bool) {},
    [](int, const Drumkit::Drum&) {},
    [] {},
    [] {},
};
