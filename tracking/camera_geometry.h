// Camera position and marker radius to 3D coordinates (metres in front of the camera).
// The one implementation; Drumkit::CorrectCoords forwards here.
#pragma once

// Replaces camera x, y (QVGA pixels) and radius s by X, Y, Z, all computed from the values
// passed in. Non-finite inputs give non-finite outputs; callers check the radius first.
void CorrectCameraCoords(float& x, float& y, float& size);

// Depth change caused by a radius error of 0.06 pixel at (x, y, r): the depth noise.
float GetZNoise(float x, float y, float r);
// The same, and corrects the arguments in place.
float GetZNoiseAndCorrect(float& x, float& y, float& r);
