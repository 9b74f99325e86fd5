// The calculation's view of the window: its four value fields as text.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <array>

#include "lc/form_fields.h"

class Form1Fields : public lc::FormFields {
 public:
  Form1Fields(QLineEdit* frequency, QLabel* inductance, QLabel* capacitance, QLabel* wavelength);

  std::string ReadText(lc::Field field) const override;
  void WriteText(lc::Field field, std::string_view text) override;

  // Forgets which fields were written; called as a click starts.
  void startClick();
  // Blanks the result fields that the current click has not written, so that
  // after a failed click no result of an earlier frequency stays on screen.
  void clearUnwritten();

 private:
  static constexpr std::size_t kFieldCount = 4;
  // A field's widget; raises RuntimeError(FieldAccess) if it is gone.
  QWidget* widget(lc::Field field) const;

  QPointer<QLineEdit> frequency_;
  std::array<QPointer<QLabel>, kFieldCount> labels_;  // indexed by lc::Field; F's entry is unused
  std::array<bool, kFieldCount> written_{};
};
