// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The floor the start-up benchmark measures lccalc against: what Qt needs to
// show a window of lccalc's size with a line of text, and nothing more.
#include <QApplication>
#include <QLabel>

#include "lc/form/layout.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  const std::string_view caption = lc::form::captionOf(lc::Field::F);
  QLabel label(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
  label.setFixedSize(lc::form::kClientWidth, lc::form::kClientHeight);
  label.show();
  return app.exec();
}
