// The window services on freeglut and GLX, and the three text-input additions freeglut lacks,
// fed by an X input method on a connection of their own.
#pragma once

// Makes window_services the freeglut window.
void InstallGlutWindow();

// Committed text (UTF-8) typed into the window, also from an input method.
void glutInsertTextFunc(void (*callback)(const char* text));
// The input method's composition (UTF-8) while it is being typed; "" when it ends.
void glutSetMarkedTextFunc(void (*callback)(const char* text));
// Cancels the composition.
void glutUnmarkText();
