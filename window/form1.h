// The calculator's one window: a frequency box, "OK" and "Exit" on the left,
// the inductance, capacitance and wavelength on the right.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QWidget>
#include <functional>

#include "form1fields.h"
#include "lc/convert.h"
#include "lc/error.h"

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // `locale` gives the decimal separator of the results.
  explicit Form1(const QLocale& locale = QLocale::system(), QWidget* parent = nullptr);

  // The Russian name of an error, as the report shows it.
  static QString errorName(lc::ErrorKind kind);

 private slots:
  void Ok_Click();
  void Command1_Click();

 private:
  void createControls();
  // Runs a click handler; a failure is reported in a message box and the
  // window goes on.
  void dispatch(const std::function<void()>& handler);
  void reportError(const QString& name, const QString& detail);

  // Created in this order: the frame first, so that the box, which the
  // window owns, lies above it.
  QGroupBox* Frame1 = new QGroupBox(this);
  QLineEdit* F = new QLineEdit(this);
  QPushButton* Ok = new QPushButton(this);
  QPushButton* Command1 = new QPushButton(this);
  QLabel* Label1 = new QLabel(this);
  QLabel* L = new QLabel(this);
  QLabel* Label2 = new QLabel(this);
  QLabel* C = new QLabel(this);
  QLabel* Label3 = new QLabel(this);
  QLabel* LL = new QLabel(this);

  Form1Fields fields_{F, L, C, LL};
  lc::NumberFormat format_;
};
