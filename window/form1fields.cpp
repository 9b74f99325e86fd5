#include "form1fields.h"

#include "lc/error.h"

namespace {

std::size_t indexOf(lc::Field field) { return static_cast<std::size_t>(field); }

QString toQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

Form1Fields::Form1Fields(QLineEdit* frequency, QLabel* inductance, QLabel* capacitance,
                         QLabel* wavelength)
    : frequency_(frequency) {
  labels_[indexOf(lc::Field::L)] = inductance;
  labels_[indexOf(lc::Field::C)] = capacitance;
  labels_[indexOf(lc::Field::LL)] = wavelength;
}

QWidget* Form1Fields::widget(lc::Field field) const {
  QWidget* widget = field == lc::Field::F ? static_cast<QWidget*>(frequency_.data())
                                          : labels_[indexOf(field)].data();
  if (widget == nullptr) throw lc::RuntimeError(lc::ErrorKind::FieldAccess);
  return widget;
}

std::string Form1Fields::ReadText(lc::Field field) const {
  QWidget* w = widget(field);
  const QString text = field == lc::Field::F ? static_cast<QLineEdit*>(w)->text()
                                             : static_cast<QLabel*>(w)->text();
  return text.toStdString();
}

void Form1Fields::WriteText(lc::Field field, std::string_view text) {
  QWidget* w = widget(field);
  if (field == lc::Field::F) {
    static_cast<QLineEdit*>(w)->setText(toQString(text));
  } else {
    auto* label = static_cast<QLabel*>(w);
    label->setText(toQString(text));
    // A long result is cut off at the label's edge; the tip shows it whole.
    label->setToolTip(label->text());
  }
  written_[indexOf(field)] = true;
}

void Form1Fields::startClick() { written_.fill(false); }

void Form1Fields::clearUnwritten() {
  for (const lc::Field field : {lc::Field::L, lc::Field::C, lc::Field::LL}) {
    QLabel* label = labels_[indexOf(field)];
    if (written_[indexOf(field)] || label == nullptr) continue;
    label->clear();
    label->setToolTip({});
  }
}
