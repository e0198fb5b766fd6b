// The two mouse icons of the drumming screens, home and full screen, which every wizard page
// and several in-air pages show. Main thread only.
#pragma once

// Inside an Imgui frame, ids from id on (id is advanced past them): home leaves the wizard
// when it runs, then goes back to the main menu; full screen frees the wizard's picture and
// switches. Then the samples' loading progress.
void DoDrummingMouseButtons(int& id);
