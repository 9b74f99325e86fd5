// The application object: checks for a display before Qt needs one, and
// speaks Russian in Qt's own dialogs.
#pragma once

#include <QApplication>
#include <QTranslator>

class Application : public QApplication {
  Q_OBJECT

 public:
  Application(int& argc, char** argv);

 private:
  QTranslator qtTranslator_;
};
