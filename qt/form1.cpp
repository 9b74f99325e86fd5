// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QMessageBox>

#include "lc/form/layout.h"

namespace {

using lc::form::ControlId;

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

lc::NumberFormat formatOf(const QLocale& locale) {
  return lc::NumberFormat{locale.decimalPoint().toStdString()};
}

QRect rectOf(ControlId id) {
  const lc::form::Rect& r = lc::form::control(id).rect;
  return {r.left, r.top, r.width, r.height};
}

// Names and places a control as the description says. The layout is in
// logical pixels; Qt scales it with the screen's device pixel ratio.
void place(QWidget* widget, ControlId id) {
  widget->setObjectName(toQString(lc::form::control(id).name));
  widget->setGeometry(rectOf(id));
}

QString textOf(ControlId id) {
  return QCoreApplication::translate("Form1", lc::form::control(id).text.data());
}

void setUpButton(QPushButton* button, ControlId id) {
  place(button, id);
  button->setText(textOf(id));
  // Enter presses the focused button, as Space does. The window is no
  // dialog, so neither button is its default: Enter in the box does nothing.
  button->setAutoDefault(true);
}

void setUpCaption(QLabel* caption, ControlId id, QLabel* result) {
  place(caption, id);
  caption->setText(textOf(id));
  caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // A screen reader announces the result with its caption.
  caption->setBuddy(result);
}

// The window is a frame to a screen reader, as top-level windows are; its
// results are read as ResultLabel says, and the announcer is a notification.
QAccessibleInterface* accessibleInterface(const QString& className, QObject* object) {
  if (className == QLatin1String("Form1")) {
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
  }
  if (className == QLatin1String("ResultLabel")) return ResultLabel::accessibleInterface(object);
  if (className == QLatin1String("Announcer")) return Announcer::accessibleInterface(object);
  return nullptr;
}

}  // namespace

Form1::Form1(const QLocale& locale, QWidget* parent)
    : QWidget(parent), form_(*this, formatOf(locale)) {
  QAccessible::installFactory(accessibleInterface);
  createControls();

  connect(Ok, &QPushButton::clicked, this, &Form1::Ok_Click);
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::createControls() {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(toQString(lc::form::kTitle));
  // A fixed size: no maximise button.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(lc::form::kClientWidth, lc::form::kClientHeight);
  // The layout is drawn in pixels, so its font is too: the platform's family
  // at the size the captions and a 15-digit result were laid out for.
  QFont windowFont = font();
  windowFont.setPixelSize(lc::form::kWindowFontPixels);
  setFont(windowFont);

  place(Frame1, ControlId::Frame1);
  Frame1->setTitle(textOf(ControlId::Frame1));

  place(F, ControlId::F);
  QFont frequencyFont;
  frequencyFont.setFamilies(
      {toQString(lc::form::kFrequencyFont.family), QStringLiteral("Sans Serif")});
  frequencyFont.setStyleHint(QFont::SansSerif);
  frequencyFont.setPixelSize(lc::form::kFrequencyFont.pixels);
  frequencyFont.setWeight(QFont::Weight(lc::form::kFrequencyFont.weight));
  F->setFont(frequencyFont);
  F->setAccessibleName(textOf(ControlId::Frame1));
  F->setMaxLength(lc::form::kMaxFrequencyLength);

  setUpButton(Ok, ControlId::Ok);
  setUpButton(Command1, ControlId::Command1);

  place(L, ControlId::L);
  place(C, ControlId::C);
  place(LL, ControlId::LL);
  setUpCaption(Label1, ControlId::Label1, L);
  setUpCaption(Label2, ControlId::Label2, C);
  setUpCaption(Label3, ControlId::Label3, LL);

  // The controls that take the focus, in the order of their tab indices.
  QWidget* previous = nullptr;
  for (const lc::form::Control* control : lc::form::inTabOrder()) {
    if (!lc::form::takesFocus(control->kind)) continue;
    auto* widget = findChild<QWidget*>(toQString(control->name));
    if (previous != nullptr) setTabOrder(previous, widget);
    previous = widget;
  }
  F->setFocus();
}

void Form1::Ok_Click() {
  // No exception may leave a slot: Qt's event loop cannot carry it.
  try {
    form_.clickOk(F->text().toStdString());
  } catch (...) {
    lc::form::reportCurrentFault(*this);
  }
}

void Form1::Command1_Click() { QApplication::quit(); }

ResultLabel* Form1::resultLabel(lc::Field field) const {
  auto* label = findChild<ResultLabel*>(toQString(lc::form::fieldControl(field).name));
  if (label == nullptr) throw lc::RuntimeError(lc::ErrorKind::FieldAccess);
  return label;
}

void Form1::showResult(lc::Field field, std::string_view text) {
  // The new text is on the screen before the click returns.
  resultLabel(field)->setResult(toQString(text));
}

void Form1::showReadHint(std::string_view hint) {
  F->setToolTip(toQString(hint));
  F->setAccessibleDescription(toQString(hint));
}

void Form1::reportError(std::string_view name, std::string_view detail) {
  // One text, as the Windows box has: Qt 6.8 makes an informative text the
  // box's accessible description, and screen readers that read that (Orca
  // 48) then skip the error's name.
  QMessageBox box(QMessageBox::Warning, windowTitle(),
                  toQString(name) + QStringLiteral("\n\n") + toQString(detail), QMessageBox::Ok,
                  this);
  box.setObjectName(QStringLiteral("errorBox"));
  box.exec();
}

void Form1::announce(std::string_view text) { announcer_->announce(toQString(text)); }
