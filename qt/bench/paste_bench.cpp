// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// What a huge paste into the frequency box costs: the real window on the
// current display, a paste of N megabytes through the clipboard, then the
// time of a cursor key and of a typed character, the processor time used
// while the window sits idle with the focus in the box (the cursor blinks),
// and the memory it grew by. Each size runs with the box as the window sets
// it up and, for comparison, with its length limit taken off.
//
// Usage: lc_paste_bench [MB...]   (1 and 10 unless given); needs a display.
#include <sys/resource.h>

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "application.h"
#include "form1.h"

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMiB() {
  std::ifstream status("/proc/self/statm");
  double pages = 0;
  status >> pages >> pages;  // size, then resident
  return pages * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024 * 1024);
}

// Median milliseconds of `runs` presses of `key` in `box`, each until its
// repaint is done.
double keyMilliseconds(QLineEdit* box, Qt::Key key, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(box, key);
    box->repaint();
    QCoreApplication::processEvents();
    times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void measure(int megabytes, bool limited) {
  Form1 window;
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window))
    std::fputs("(the window did not get the focus)\n", stderr);
  auto* box = window.findChild<QLineEdit*>(QStringLiteral("F"));
  if (!limited) box->setMaxLength(std::numeric_limits<int>::max());
  box->setFocus();
  QTest::qWait(200);

  const double before = residentMiB();
  QApplication::clipboard()->setText(QStringLiteral("7 MHz") +
                                     QString(megabytes * 1'000'000, QLatin1Char(' ')));
  QElapsedTimer timer;
  timer.start();
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QCoreApplication::processEvents();
  const double pasteMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;

  const double cursorMs = keyMilliseconds(box, Qt::Key_Left, 5);
  const double typeMs = keyMilliseconds(box, Qt::Key_0, 5);
  const double cpuBefore = cpuSeconds();
  timer.start();
  QTest::qWait(3000);
  const double idle =
      100 * (cpuSeconds() - cpuBefore) / (static_cast<double>(timer.elapsed()) / 1000);
  std::printf("%5d MB %-9s %10lld %10.1f %10.1f %10.1f %9.1f%% %10.1f\n", megabytes,
              limited ? "limited" : "no limit", static_cast<long long>(box->text().size()), pasteMs,
              cursorMs, typeMs, idle, residentMiB() - before);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes;
  for (int i = 1; i < argc; ++i) sizes.push_back(std::stoi(argv[i]));
  if (sizes.empty()) sizes = {1, 10};
  int qtArgc = 1;
  Application app(qtArgc, argv);
  std::printf("%8s %-9s %10s %10s %10s %10s %10s %10s\n", "paste", "box", "kept", "paste ms",
              "cursor ms", "type ms", "idle CPU", "+MiB");
  for (const int megabytes : sizes) {
    measure(megabytes, true);
    measure(megabytes, false);
  }
  return 0;
}
