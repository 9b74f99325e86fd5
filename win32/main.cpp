#include "form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  Form1 window(instance);
  return window.run(show);
}
