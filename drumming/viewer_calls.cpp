#include "drumming/viewer_calls.h"

ViewerCalls viewer_calls;
