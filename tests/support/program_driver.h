// Driving the whole program from outside, as a user would: started in an installation folder
// made by tools/install.sh, its dialogs answered by a scripted zenity, its window found and
// clicked with xdotool, and what it draws read from its UI trace file (SKYTAPPER_UI_TRACE).
// Link: skyt_frame (process spawning). Needs an X server (xvfb-run).
#pragma once
#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace skyt_test {

// A fresh installation by tools/install.sh in a fresh folder of this name; empty on failure.
std::string FreshInstallation(const std::string& name);

// A fresh folder with a zenity that answers every dialog at once with OK and logs what it
// showed in zenity.log beside it; a file dialog answers with the file named in `answer` beside
// it, when there is one. Also the leak checker's suppressions for the program (lsan.supp).
std::string ScriptedDialogs(const std::string& name);

// Sets the value of a key's line in the installation's settings file (conf/skytapper.cfg);
// false when the file has no line for the key.
bool SetSetting(const std::string& install_dir, const std::string& key, const std::string& value);

// Replaces the file at once (a new file renamed over it), so that the running program never
// reads it half written: a scene script, for one.
void ReplaceFile(const std::string& path, const std::string& text);

struct ProgramSetup {
  std::string exe;          // the executable
  std::string install_dir;  // its working directory; its output goes to program_output.txt there
  std::string fake_bin;     // put first on PATH (the scripted dialogs)
  int viewer_port = 0;      // the first of the four viewer-link ports it uses
};

// The program, running until it ends or the object goes (then killed).
class Program {
 public:
  explicit Program(const ProgramSetup& setup);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  // The exit status, or -1 when the program still runs after the time-out.
  int WaitForExit(int seconds);
  std::string Output() const;
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  std::string output_;
};

// Presses Esc in the window until the program ends (a busy machine starts slowly): its exit
// status, or -1 after 20 tries.
int EscUntilExit(Program& program, const std::string& window);

// The program's window id (waits up to 30 s); empty when none came.
std::string WaitForWindow();
std::string Xdo(const std::vector<std::string>& args);

// One frame of the program's UI trace.
struct TraceFrame {
  int state = -1;
  struct Item {
    int kind, id, x, y, w, h, greyed;
    std::string label;
    int value = 0;
  };
  std::vector<Item> items;
  const Item* Find(const std::string& label) const;
};

TraceFrame ReadTrace(const std::string& path);
// Waits (up to 30 s) until the trace shows `state` with a widget labelled `label` drawn as asked.
bool WaitForWidget(const std::string& trace, int state, const std::string& label, bool greyed, TraceFrame& frame);
// Waits (up to `seconds`) until `done` holds for a frame of the trace, left in `frame`.
bool WaitForTrace(const std::string& trace, const std::function<bool(const TraceFrame&)>& done, TraceFrame& frame,
                  int seconds = 30);
// Waits (up to `seconds`) until the trace shows `state`.
bool WaitForState(const std::string& trace, int state, int seconds = 30);
// Waits until the program has written `frames` more frames of its trace (at most 10 s).
void WaitFrames(const std::string& trace, int frames);
// Moves onto the widget and presses and releases the button, each held for a few frames of
// the program however slowly it runs.
void ClickOn(const std::string& window, const std::string& trace, const TraceFrame::Item& w);

}  // namespace skyt_test
