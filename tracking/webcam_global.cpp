#include "tracking/webcam.h"

Webcam webcam;
