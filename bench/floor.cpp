// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The floor the start-up benchmark measures lccalc against: what Qt needs to
// show a window of lccalc's size with a line of text, and nothing more.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QLabel label(QStringLiteral("Частота, МГц"));
  label.setFixedSize(330, 219);
  label.show();
  return app.exec();
}
