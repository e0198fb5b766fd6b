// Frozen pictures: the window just drawn, read back into a texture that is shown in its place.
// Main thread, with the window's GL context current.
#pragma once

// Reads the window's bottom-left w x h RGB pixels, bottom row first, into rgb, which holds
// exactly w * h * 3 bytes: rows are read without padding whatever the width (at the default
// pack alignment of 4 an odd width would write past the buffer). The alignment is restored.
void ReadPicture(int w, int h, unsigned char* rgb);

// Flushes, reads the window back and makes it an RGB texture (clamped, linear), uploaded
// without row padding; 0 for an empty window. The caller deletes the texture.
unsigned int FreezePicture(int w, int h);
