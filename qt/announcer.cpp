// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "announcer.h"

#include <QAccessibleWidget>

Announcer::Announcer(QWidget* parent) : QWidget(parent) {
  // No size: nothing to see, nothing to click, no Tab stop.
  setGeometry(0, 0, 0, 0);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

void Announcer::announce(const QString& text) {
  // Screen readers speak a notification as it appears (Orca with Qt's
  // AT-SPI bridge did not speak changes of its name, nor alerts).
  hide();
  setAccessibleName(text);
  show();
}

QAccessibleInterface* Announcer::accessibleInterface(QObject* announcer) {
  return new QAccessibleWidget(static_cast<QWidget*>(announcer), QAccessible::Notification);
}
