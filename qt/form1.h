// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The calculator's one window: a frequency box, "OK" and "Exit" on the left,
// the inductance, capacitance and wavelength on the right, built from the
// toolkit-free description of the window.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QWidget>

#include "announcer.h"
#include "lc/form/form.h"
#include "resultlabel.h"

class Form1 : public QWidget, private lc::form::View {
  Q_OBJECT

 public:
  // `locale` gives the decimal separator of the results.
  explicit Form1(const QLocale& locale = QLocale::system(), QWidget* parent = nullptr);

 private slots:
  void Ok_Click();
  void Command1_Click();

 private:
  void createControls();
  ResultLabel* resultLabel(lc::Field field) const;

  // lc::form::View
  void showResult(lc::Field field, std::string_view text) override;
  void showReadHint(std::string_view hint) override;
  void reportError(std::string_view name, std::string_view detail) override;
  void announce(std::string_view text) override;

  lc::form::Form form_;

  // Created in the order of the description: the frame first, so that the
  // box, which the window owns, lies above it.
  QGroupBox* Frame1 = new QGroupBox(this);
  QLineEdit* F = new QLineEdit(this);
  QPushButton* Ok = new QPushButton(this);
  QPushButton* Command1 = new QPushButton(this);
  QLabel* Label1 = new QLabel(this);
  ResultLabel* L = new ResultLabel(form_.format(), this);
  QLabel* Label2 = new QLabel(this);
  ResultLabel* C = new ResultLabel(form_.format(), this);
  QLabel* Label3 = new QLabel(this);
  ResultLabel* LL = new ResultLabel(form_.format(), this);
  Announcer* announcer_ = new Announcer(this);
};
