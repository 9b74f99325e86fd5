// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The application object: answers --help and --version, says plainly when
// there is no display to open, and speaks Russian in Qt's own dialogs.
#pragma once

#include <QApplication>
#include <QTranslator>

class Application : public QApplication {
  Q_OBJECT

 public:
  // Ends the process on --help and --version (status 0), on any other
  // argument (status 2) and when no display can be opened (status 1).
  Application(int& argc, char** argv);

  // Loads the Russian translation of Qt's own texts (its dialogs' buttons,
  // the text boxes' context menus) into `translator`, and installs it in
  // the running application; false where it is not installed.
  static bool installQtTranslation(QTranslator& translator);

 private:
  QTranslator qtTranslator_;
};
