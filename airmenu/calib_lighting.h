// Stages 4 and 5 of the set-up wizard, the lighting check, its way in from the wizard's pages
// and the bright areas it found, which the seat page rings too. Main thread only.
#pragma once

#include "airmenu/calibration.h"

// The check as the wizard's own step (kLighting) or asked from the seat page
// (kLightingFromSeat), which it returns to; state_param 0: a pass may lead to the stand page.
void OpenLighting(Calibration::Stage lighting_stage);

// The bright areas of the check's last analysed frame, at most 8; Forget drops them.
int CrownCount();
void ForgetCrowns();
// Yellow rings around them, renewed from them every 50 frames of the drawing page.
void DrawFoundCrowns(int page_frame);
