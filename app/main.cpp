// The program's entry: the window is freeglut + GLX.
#include "app/app.h"
#include "app/glut/glut_window.h"

int main(int argc, char** argv) {
  InstallGlutWindow();
  return SkytapperMain(argc, argv);
}
