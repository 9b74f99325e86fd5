// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// An invisible part of the window through which a screen reader hears what
// changed: a notification, which screen readers speak when it appears.
#pragma once

#include <QWidget>

class QAccessibleInterface;

class Announcer : public QWidget {
  Q_OBJECT

 public:
  explicit Announcer(QWidget* parent);

  // Has a screen reader say `text` once.
  void announce(const QString& text);

  // Its accessible interface: a notification whose name is the text.
  static QAccessibleInterface* accessibleInterface(QObject* announcer);
};
