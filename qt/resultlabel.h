// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// A result field: shows a number at a fixed size, elided in the middle when
// it does not fit, and offers it whole to the tooltip, the screen reader and
// the clipboard.
#pragma once

#include <QLabel>

#include "lc/convert.h"

class QAccessibleInterface;

class ResultLabel : public QLabel {
  Q_OBJECT

 public:
  // `format` tells where a result's fraction starts, for the elision.
  ResultLabel(const lc::NumberFormat& format, QWidget* parent);

  // The whole result; empty text blanks the field.
  void setResult(const QString& text);
  QString result() const { return result_; }

  // The accessible interface of a ResultLabel: its name is the whole
  // result, empty while blank, and it has no description.
  static QAccessibleInterface* accessibleInterface(QObject* label);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void showFitted();
  // Copies the selected part of the result, or the whole result when none
  // is selected or what is shown is elided.
  void copy();

  const lc::NumberFormat& format_;
  QString result_;
};
