// Text typed into the window, read through an X input method on a second X connection: any
// keyboard layout and composition gives UTF-8 text, which freeglut's keyboard callback cannot.
#pragma once

// Opens the connection and the input context on the window (an X window id).
void StartInputMethod(unsigned long window);
// Handles the events waiting on the connection; called once per main-loop turn.
void PumpInputMethod();
