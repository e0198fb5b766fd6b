#include "drumming/library_calls.h"

LibraryCalls library_calls;
