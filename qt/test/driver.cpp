// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The window's driver for the scenario table (form/test/window_test.py), in
// process on whatever Qt platform it is given (the offscreen one in the
// tests): reads a row, {"scheme": "light" or "dark", "steps": [[verb,
// args...], ...]}, on standard input, does its steps as a user would with
// QTest's keys and clicks, and writes {"observations": [...]}, one for each
// "look", on standard output. The locale is the environment's, as for
// lccalc itself.
//
// Each step runs from the event loop, and the next is queued before it
// runs: a click that opens the modal report, or a right-click that opens a
// menu, waits in that box's or menu's own loop, where the steps go on.
#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCryptographicHash>
#include <QFile>
#include <QGroupBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMetaEnum>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <cstdio>
#include <map>

#include "application.h"
#include "form1.h"

namespace {

QStringList announced;  // what the announcer was told since the last look

// Records what the window tells a screen reader: its announcer, a
// notification, appears with the text to say as its name.
class AnnouncementRecorder : public QObject {
 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show)
      announced << static_cast<QWidget*>(watched)->accessibleName();
    return false;
  }
};

template <typename Enum>
QString nameOf(Enum value) {
  return QString::fromLatin1(QMetaEnum::fromType<Enum>().valueToKey(static_cast<int>(value)));
}

QJsonArray rectOf(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

QJsonObject fontOf(const QFont& font) {
  return {{"family", font.family()},
          {"pixels", font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF()},
          {"weight", font.weight()},
          {"italic", font.italic()},
          {"underline", font.underline() || font.strikeOut()}};
}

// What a user sees of a control's area in the window's image: the colour
// most of it has, and the one farthest from that (its text or frame).
QJsonObject coloursOf(const QImage& image, const QRect& area) {
  std::map<QRgb, int> counts;
  const qreal scale = image.devicePixelRatio();
  for (int y = int(area.top() * scale); y < int((area.bottom() + 1) * scale); ++y) {
    for (int x = int(area.left() * scale); x < int((area.right() + 1) * scale); ++x) {
      ++counts[image.pixel(x, y)];
    }
  }
  QRgb back = 0;
  int most = -1;
  for (const auto& [rgb, n] : counts) {
    if (n > most) std::tie(back, most) = std::pair(rgb, n);
  }
  const auto distance = [back](QRgb c) {
    return std::abs(qRed(c) - qRed(back)) + std::abs(qGreen(c) - qGreen(back)) +
           std::abs(qBlue(c) - qBlue(back));
  };
  QRgb fore = back;
  for (const auto& [rgb, n] : counts) {
    if (distance(rgb) > distance(fore)) fore = rgb;
  }
  return {{"background", QColor(back).name()}, {"text", QColor(fore).name()}};
}

QString shownText(QWidget* widget) {
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text();
  if (auto* button = qobject_cast<QPushButton*>(widget)) return button->text();
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  return {};
}

class Driver : public QObject {
 public:
  Driver(QJsonArray steps, bool dark) : steps_(std::move(steps)) {
    if (dark) QApplication::setPalette(darkPalette());
    for (QWidget* child : window_.findChildren<Announcer*>()) child->installEventFilter(&recorder_);
    window_.show();
    window_.activateWindow();  // with no window manager, asked for
  }

  // Runs the steps; the observations, once they are done.
  QJsonArray run() {
    if (!QTest::qWaitForWindowActive(&window_)) qFatal("the window was never active");
    QTimer::singleShot(0, this, &Driver::next);
    status_ = QApplication::exec();
    running_ = false;
    while (next_ < steps_.size()) {  // after Exit: only looks are left to do
      if (steps_[next_++].toArray()[0] == QLatin1String("look")) observations_.append(observe());
    }
    return observations_;
  }

 private:
  static QPalette darkPalette() {
    // A dark desktop theme's palette: light text on a dark window, darker
    // boxes, nothing black or white.
    QPalette dark;
    for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(0x30, 0x30, 0x34)},
                                       {QPalette::WindowText, QColor(0xe0, 0xe0, 0xd0)},
                                       {QPalette::Base, QColor(0x20, 0x20, 0x24)},
                                       {QPalette::Text, QColor(0xf0, 0xe8, 0xd8)},
                                       {QPalette::Button, QColor(0x40, 0x40, 0x48)},
                                       {QPalette::ButtonText, QColor(0xf0, 0xf0, 0xe0)}}) {
      dark.setColor(role, colour);
    }
    return dark;
  }

  void next() {
    if (next_ >= steps_.size()) {
      QApplication::exit(status_);
      return;
    }
    const QJsonArray step = steps_[next_++].toArray();
    if (step[0] == QLatin1String("look") && !window_.isVisible() && deferred_++ < 100) {
      // The window has gone: the program's end is on its way.
      --next_;
      QTimer::singleShot(0, this, &Driver::next);
      return;
    }
    if (step[0] == QLatin1String("look")) {
      // What the platform has still to tell comes first, as a user would see
      // it by then: the report, or else the window, activated. (A platform
      // with no window manager gives the window back the keyboard only when
      // asked, once the report has gone.)
      if (QApplication::activeModalWidget() == nullptr && QApplication::activeWindow() == nullptr) {
        window_.activateWindow();
      }
      (void)QTest::qWaitFor(
          [this] {
            QWidget* top = QApplication::activeModalWidget();
            return QApplication::activeWindow() == (top ? top : &window_);
          },
          2000);
      observations_.append(observe());
    }
    QTimer::singleShot(0, this, &Driver::next);
    perform(step[0].toString(), step);
  }

  QWidget* control(const QString& name) {
    auto* widget = window_.findChild<QWidget*>(name);
    if (widget == nullptr) qFatal("no control %s", qPrintable(name));
    return widget;
  }

  // Where keys go: the report's focused button while it is open, else the
  // window's focused control.
  static QWidget* keyTarget() {
    if (QWidget* popup = QApplication::activePopupWidget()) return popup;
    QWidget* focus = QApplication::focusWidget();
    if (QWidget* modal = QApplication::activeModalWidget(); modal && !modal->isAncestorOf(focus)) {
      return modal;
    }
    return focus;
  }

  void perform(const QString& verb, const QJsonArray& step) {
    const QString arg = step.size() > 1 ? step[1].toString() : QString();
    if (verb == QLatin1String("look")) {
      return;  // done before the next step was queued
    } else if (verb == QLatin1String("type")) {
      QTest::keyClicks(keyTarget(), arg);
    } else if (verb == QLatin1String("paste")) {
      QApplication::clipboard()->setText(arg);
      QTest::keyClick(keyTarget(), Qt::Key_V, Qt::ControlModifier);
    } else if (verb == QLatin1String("press")) {
      const QKeySequence keys(arg);
      const QKeyCombination key = keys[0];
      // The keypad's Enter is a key of its own.
      const auto modifiers = key.keyboardModifiers() |
                             (key.key() == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
      QTest::keyClick(
          keyTarget(),
          key.key() == Qt::Key_Tab && (modifiers & Qt::ShiftModifier) ? Qt::Key_Backtab : key.key(),
          modifiers);
    } else if (verb == QLatin1String("click")) {
      QTest::mouseClick(control(arg), Qt::LeftButton);
    } else if (verb == QLatin1String("select")) {
      // A drag across the control's text, from character `from` to `to`
      // (-1: its end): the control then has the focus, as after a click.
      QWidget* target = control(arg);
      const int from = step[2].toInt();
      const int to = step[3].toInt() < 0 ? int(shownText(target).size()) : step[3].toInt();
      target->setFocus(Qt::MouseFocusReason);
      if (auto* label = qobject_cast<QLabel*>(target)) label->setSelection(from, to - from);
      if (auto* edit = qobject_cast<QLineEdit*>(target)) edit->setSelection(from, to - from);
    } else if (verb == QLatin1String("menu")) {
      QWidget* target = control(arg);
      const QPoint at = target->rect().center();
      QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
      QApplication::sendEvent(target, &event);
    } else if (verb == QLatin1String("choose")) {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) qFatal("no menu is open to choose %s from", qPrintable(arg));
      for (QAction* action : menu->actions()) {
        if (action->text() == arg) {
          menu->setActiveAction(action);
          QTest::keyClick(menu, Qt::Key_Return);
          return;
        }
      }
      qFatal("the menu has no entry %s", qPrintable(arg));
    } else if (verb == QLatin1String("close")) {
      window_.close();
    } else {
      qFatal("no such step: %s", qPrintable(verb));
    }
  }

  QJsonObject observe() {
    QJsonObject seen{{"running", running_}, {"announced", QJsonArray::fromStringList(announced)}};
    announced.clear();
    if (!running_) {
      seen["status"] = status_;
      return seen;
    }
    seen["clipboard"] = QApplication::clipboard()->text();
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* focus = QApplication::focusWidget();
    const QImage image = window_.grab().toImage();
    QJsonObject controls;
    for (QWidget* widget : window_.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (widget->objectName().isEmpty() || !widget->isVisible() || widget->isWindow()) continue;
      QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
      QJsonArray labels;
      for (const auto& [label, relation] : accessible->relations(QAccessible::Label)) {
        labels.append(label->text(QAccessible::Name));
      }
      QJsonObject c{{"text", shownText(widget)},
                    {"rect", rectOf(widget->geometry())},
                    {"focused", focus == widget && modal == nullptr},
                    {"focusable", bool(widget->focusPolicy() & Qt::TabFocus)},
                    {"enabled", widget->isEnabled()},
                    {"name", accessible->text(QAccessible::Name)},
                    {"description", accessible->text(QAccessible::Description)},
                    {"tooltip", widget->toolTip()},
                    {"labelledBy", labels},
                    {"role", nameOf(accessible->role())},
                    {"class", widget->metaObject()->className()},
                    {"font", fontOf(widget->font())},
                    {"colours", coloursOf(image, widget->geometry())},
                    {"cursor", nameOf(widget->cursor().shape())}};
      if (auto* button = qobject_cast<QPushButton*>(widget)) c["default"] = button->isDefault();
      if (auto* label = qobject_cast<QLabel*>(widget)) {
        c["align"] = nameOf(label->alignment() & Qt::AlignHorizontal_Mask);
        c["selectable"] = bool(label->textInteractionFlags() & Qt::TextSelectableByMouse);
      }
      controls[widget->objectName()] = c;
    }
    seen["controls"] = controls;
    QJsonArray icons;
    for (const QSize& size : window_.windowIcon().availableSizes()) {
      const QImage icon =
          window_.windowIcon().pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
      icons.append(QJsonObject{
          {"size", size.width()},
          {"pixels", QString::fromLatin1(QCryptographicHash::hash(
                                             QByteArrayView(icon.constBits(), icon.sizeInBytes()),
                                             QCryptographicHash::Sha256)
                                             .toHex()
                                             .left(16))}});
    }
    const Qt::WindowFlags flags = window_.windowFlags();
    bool extremes = false;  // a pure black or white pixel, which a dark theme has none of
    for (int y = 0; y < image.height() && !extremes; ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
        extremes = extremes || pixel == 0 || pixel == 0xFFFFFF;
      }
    }
    seen["window"] =
        QJsonObject{{"title", window_.windowTitle()},
                    {"visible", window_.isVisible()},
                    {"size", QJsonArray{window_.width(), window_.height()}},
                    {"fixedSize", window_.minimumSize() == window_.maximumSize()},
                    {"maximizable", bool(flags & Qt::WindowMaximizeButtonHint)},
                    {"minimizable", bool(flags & Qt::WindowMinimizeButtonHint)},
                    {"closable", bool(flags & Qt::WindowCloseButtonHint)},
                    {"role", nameOf(QAccessible::queryAccessibleInterface(&window_)->role())},
                    {"appId", QGuiApplication::desktopFileName()},
                    {"icons", icons},
                    {"blackOrWhite", extremes}};
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      QJsonArray buttons;
      for (QAbstractButton* button : box->buttons()) buttons.append(button->text());
      QStringList lines = box->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
      seen["report"] =
          QJsonObject{{"title", box->windowTitle()},
                      {"lines", QJsonArray::fromStringList(lines)},
                      {"focused", box->isAncestorOf(focus)},
                      {"icon", nameOf(box->icon())},
                      {"buttons", buttons},
                      {"modal", box->isModal()},
                      {"parent", box->parentWidget() ? box->parentWidget()->objectName() : ""}};
    } else {
      seen["report"] = QJsonValue::Null;
    }
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      QJsonArray entries;
      for (const QAction* action : menu->actions()) {
        if (!action->isSeparator()) entries.append(action->text());
      }
      seen["menu"] = entries;
    } else {
      seen["menu"] = QJsonValue::Null;
    }
    return seen;
  }

  QJsonArray steps_;
  qsizetype next_ = 0;
  QJsonArray observations_;
  AnnouncementRecorder recorder_;
  Form1 window_;
  bool running_ = true;
  int deferred_ = 0;
  int status_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  Application app(argc, argv);
  QApplication::setCursorFlashTime(0);  // a caret that never blinks: the same image at every look
  QFile input;
  if (!input.open(stdin, QIODevice::ReadOnly)) return 2;
  const QJsonObject row = QJsonDocument::fromJson(input.readAll()).object();
  Driver driver(row["steps"].toArray(), row["scheme"] == QLatin1String("dark"));
  const QByteArray out =
      QJsonDocument(
          QJsonObject{
              {"toolkit", QStringLiteral("qt%1.%2").arg(QT_VERSION_MAJOR).arg(QT_VERSION_MINOR)},
              {"observations", driver.run()}})
          .toJson(QJsonDocument::Compact);
  return std::fwrite(out.constData(), 1, size_t(out.size()), stdout) == size_t(out.size()) ? 0 : 1;
}
