// The program's entry: the window is freeglut + GLX.
#include "frame/app/app.h"
#include "frame/glut/glut_window.h"

int main(int argc, char** argv) {
  InstallGlutWindow();
  return SkytapperMain(argc, argv);
}
