#include "application.h"

#include <QIcon>
#include <QTimer>
#include <QLibraryInfo>
#include <QLocale>
#include <cstdio>
#include <cstdlib>

namespace {

// Without a display Qt aborts with a long plugin message; say plainly what
// is missing instead. Runs before QApplication, which is what would abort.
int& requireDisplay(int& argc) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  const bool platformChosen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
  const bool display =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (!platformChosen && !display) {
    std::fputs("lccalc: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
               "to run without a screen, use: xvfb-run lccalc\n",
               stderr);
    std::exit(EXIT_FAILURE);
  }
#endif
  return argc;
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(requireDisplay(argc), argv) {
  setApplicationName(QStringLiteral("lccalc"));
  setApplicationVersion(QStringLiteral(LC_VERSION));
  // Lets Wayland compositors and task bars match the window to its desktop entry.
  setDesktopFileName(QStringLiteral("org.lccalc.lccalc"));
  // The window icon can wait until the window is up: decoding it costs a
  // few milliseconds before the first map. Title bars and task bars ask for
  // at most 48 pixels; larger icons come from the icon theme.
  QTimer::singleShot(0, this, [this] {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
      icon.addFile(QStringLiteral(":/icons/lccalc-%1.png").arg(size));
    }
    setWindowIcon(icon);
  });

  // The window is Russian whatever the user's locale; so are Qt's buttons.
  if (qtTranslator_.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(&qtTranslator_);
  }
}
