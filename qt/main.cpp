// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "application.h"
#include "form1.h"

int main(int argc, char* argv[]) {
  Application app(argc, argv);
  Form1 window;
  window.show();
  return app.exec();
}
