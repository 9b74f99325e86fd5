// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <tuple>

#include "lc_config.h"
#include "lccalc-16.xpm"
#include "lccalc-32.xpm"

namespace {

constexpr char kUsage[] =
    "Usage: lccalc [--help | --version]\n"
    "Opens the resonant LC circuit calculator window. It takes no other arguments.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -v, --version  print the version and exit\n";

// The window takes no arguments, and Qt's own (-platform, -style, ...)
// would change it, so every argument but these two is refused before Qt
// sees it.
void handleArguments(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg != "--help" && arg != "-h" && arg != "--version" && arg != "-v") {
      std::fprintf(stderr, "lccalc: unknown argument '%s'\n%s", argv[i], kUsage);
      std::exit(2);
    }
  }
  if (argc < 2) return;
  const std::string_view first = argv[1];
  const bool written = first == "--help" || first == "-h" ? std::fputs(kUsage, stdout) >= 0
                                                          : std::puts("lccalc " LC_VERSION) >= 0;
  // A full disk or a closed pipe is no success.
  if (!written || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "lccalc: cannot write to standard output: %s\n", std::strerror(errno));
    std::exit(EXIT_FAILURE);
  }
  std::exit(EXIT_SUCCESS);
}

// The line that says which display could not be opened: the one Qt was
// asked to use.
QByteArray displayFailure() {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  const QByteArray x11 = qgetenv("DISPLAY");
  const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
  if (!platform.isEmpty() && !platform.startsWith("wayland") && !platform.startsWith("xcb")) {
    return "lccalc: cannot start the Qt platform \"" + platform + "\" (QT_QPA_PLATFORM)\n";
  }
  const bool onWayland = platform.startsWith("wayland") || (platform.isEmpty() && x11.isEmpty());
  return onWayland
             ? "lccalc: cannot open the Wayland display \"" + wayland + "\" (WAYLAND_DISPLAY)\n"
             : "lccalc: cannot open the display \"" + x11 +
                   "\" (DISPLAY); to run without a screen, use: xvfb-run lccalc\n";
}

// While Qt opens the display its messages are held back: when the display
// cannot be opened Qt aborts with a long plugin message, and one line of
// our own says it better. Once the application is up they are passed on.
using HeldMessage = std::tuple<QtMsgType, QByteArray, QString>;
QtMessageHandler previousHandler = nullptr;
QList<HeldMessage>* heldMessages = nullptr;

// Whether Qt's messages say that no server answered at the display, which
// our line says better; any other cause (a plugin or library missing, a
// platform unknown) is for Qt's own lines to tell.
bool noServerThere() {
  return std::any_of(heldMessages->cbegin(), heldMessages->cend(), [](const HeldMessage& held) {
    const QString& text = std::get<QString>(held);
    return text.contains(QLatin1String("could not connect to display")) ||
           text.contains(QLatin1String("Failed to create wl_display"));
  });
}

void holdMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fputs(displayFailure().constData(), stderr);
    if (!noServerThere()) {
      for (const auto& [heldType, category, text] : *heldMessages) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
      }
      std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
    std::_Exit(EXIT_FAILURE);  // nothing to save, and Qt is half set up
  }
  heldMessages->append({type, QByteArray(context.category), message});
}

int& openDisplay(int& argc, char** argv) {
  handleArguments(argc, argv);
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fputs(
        "lccalc: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
        "to run without a screen, use: xvfb-run lccalc\n",
        stderr);
    std::exit(EXIT_FAILURE);
  }
  // A Wayland display named relative to XDG_RUNTIME_DIR cannot be found
  // without it, and the Wayland library would say so on a line of its own
  // before Qt tries X11: such a display is as good as none.
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
      !qgetenv("WAYLAND_DISPLAY").startsWith('/') &&
      qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") &&
      (platform.isEmpty() || platform.startsWith("wayland"))) {
    if (!platform.isEmpty() || qEnvironmentVariableIsEmpty("DISPLAY")) {
      std::fputs(displayFailure().constData(), stderr);
      std::exit(EXIT_FAILURE);
    }
    qunsetenv("WAYLAND_DISPLAY");
  }
#endif
  heldMessages = new QList<HeldMessage>;
  previousHandler = qInstallMessageHandler(holdMessage);
  return argc;
}

void releaseMessages() {
  qInstallMessageHandler(previousHandler);
  for (const auto& [type, category, message] : *heldMessages) {
    qt_message_output(type, QMessageLogContext(nullptr, 0, nullptr, category.constData()), message);
  }
  delete heldMessages;
  heldMessages = nullptr;
}

}  // namespace

Application::Application(int& argc, char** argv) : QApplication(openDisplay(argc, argv), argv) {
  releaseMessages();
  setApplicationName(QStringLiteral("lccalc"));
  setApplicationVersion(QStringLiteral(LC_VERSION));
  // Lets Wayland compositors and task bars match the window to its desktop entry.
  setDesktopFileName(QStringLiteral(LC_APP_ID));
  // What is not drawn at start waits until the window is up, so that it is
  // shown sooner: the window icon, and the Russian texts of Qt's own dialogs
  // and context menus, which no one can open before then.
  QTimer::singleShot(0, this, [this] {
    // Title bars ask for 16 pixels, or 32 on a doubled screen; task bars
    // take larger icons from the icon theme, through the desktop entry. The
    // images are XPM, which Qt reads without loading its image plugins.
    QIcon icon;
    icon.addPixmap(QPixmap(lccalc_16_xpm));
    icon.addPixmap(QPixmap(lccalc_32_xpm));
    setWindowIcon(icon);
    installQtTranslation(qtTranslator_);
  });
}

bool Application::installQtTranslation(QTranslator& translator) {
  // The window is Russian whatever the user's locale; so are Qt's buttons.
  return translator.load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"),
                         QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
         installTranslator(&translator);
}
