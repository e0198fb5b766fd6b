// The program frame: start-up, the deferred start-up, the exit handler, the per-frame display
// dispatch and the input callbacks. Main thread only.
#pragma once
#include <string>

class DistanceMenu;

// The program's entry (main calls it after installing the window services).
int SkytapperMain(int argc, char** argv);

// GL state set once after the window and callbacks exist: vertical sync off, clear colour.
void Init();
// The exit handler.
void CleanUp();
// True when the language came from the system, false when from the settings file.
bool DetermineLanguage();
// The one-time deferred start-up run by Display; true when it has run.
bool Krakouik();
// Removes three stale files of an early release (no start-up step calls it).
void PatchFirstRelease();
// Hands the window the program's display, input and close callbacks.
void RegisterCallbacks();
// The display callback between window creation and the registration of the real callbacks.
void DummyMacDisplay();
// Sets the swap interval to 1 then 0, printing the reason when the second setting fails.
void ApplyVsyncOff();
// The window was closed by the user: ends the program once.
void WindowClosed();

// Frame loop.
void Display();
void DisplayNormal();
void DisplaySlowLow();
void DisplayMarkersOnly();
void DisplayNo();
void DisplayWithClient();
void Idle();
void Reshape(int width, int height);
bool DoFullScreenToggle();
// Runs the function of the interface state (nothing for 7 and 37 and above).
void RunStateFunction(int state);
// With SKYTAPPER_UI_TRACE naming a file, the widget GUI records its frames and each screen
// frame is written there (replacing the last): a line "state N", then one line per widget,
// "kind id x y w h greyed value label" (y upwards). An in-air frame (no widget GUI) writes
// its state line, then its menu in camera pixels (y downwards): a button "7 id x y r r greyed
// activation label" (its centre and radius; activation 0 when a stroke fires it, else 1, or 2
// while a hand's hit window is open), a slider "8 id x y w h 0 value label" (its
// top-left corner, the value rounded), a message "9 line 0 0 0 0 0 0 text". For the
// whole-program tests.
void WriteUiTrace();
void WriteInAirTrace(int state);
// With the trace on, keeps the menu each in-air page hands over for the trace.
void KeepInAirMenuForTrace(const DistanceMenu& menu);
// Resets the display callback's deferred start-up count-down (tests start a fresh program);
// started_up: as if the deferred start-up had run (tests that set up the objects themselves).
void ResetDisplayForTest(bool started_up = false);

// Input callbacks.
void Keyboard(unsigned char key, int x, int y);
void KeyboardUp(unsigned char key, int x, int y);
void Special(int key, int x, int y);
void SpecialUp(int key, int x, int y);
void Mouse(int button, int state, int x, int y);
void PassiveMotion(int x, int y);
void Motion(int x, int y);
void InsertText(const char* text);
void SetMarkedText(const char* text);

// Whether the connected 3D viewer runs on this computer (refreshed when a viewer connects),
// and whether this program has the focus.
bool ClientRunningOnThisDevice();
bool SetWhetherClientIsRunningOnThisDevice();
bool ServerHasFocus();
void GiveFocusToClient();
