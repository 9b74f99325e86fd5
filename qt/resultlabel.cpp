// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
#include "resultlabel.h"

#include <QAccessibleWidget>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "lc/form/form.h"
#include "lc/form/layout.h"

namespace {

class ResultAccessible : public QAccessibleWidget {
 public:
  explicit ResultAccessible(ResultLabel* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text which) const override {
    // The value is spoken once, as the name; the tooltip that repeats it
    // would otherwise become the description as well.
    if (which == QAccessible::Name) return static_cast<ResultLabel*>(widget())->result();
    if (which == QAccessible::Description) return {};
    return QAccessibleWidget::text(which);
  }
};

}  // namespace

ResultLabel::ResultLabel(const lc::NumberFormat& format, QWidget* parent)
    : QLabel(parent), format_(format) {
  setFrameStyle(QFrame::Box | QFrame::Plain);
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setIndent(lc::form::kResultIndent);
  // Selectable with the mouse, and then copied with the keyboard's Copy;
  // but no Tab stop.
  setTextInteractionFlags(Qt::TextSelectableByMouse);
  setFocusPolicy(Qt::ClickFocus);
}

void ResultLabel::setResult(const QString& text) {
  result_ = text;
  setToolTip(text);
  showFitted();
}

QAccessibleInterface* ResultLabel::accessibleInterface(QObject* label) {
  return new ResultAccessible(static_cast<ResultLabel*>(label));
}

void ResultLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  showFitted();
}

void ResultLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) showFitted();
}

void ResultLabel::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy)) {
    copy();
    return;
  }
  QLabel::keyPressEvent(event);
}

void ResultLabel::contextMenuEvent(QContextMenuEvent* event) {
  if (result_.isEmpty()) return;
  QMenu menu(this);
  const QAction* copyAction =
      menu.addAction(QCoreApplication::translate("Form1", lc::form::kCopyEntry.data()));
  connect(copyAction, &QAction::triggered, this, &ResultLabel::copy);
  menu.exec(event->globalPos());
}

void ResultLabel::copy() {
  if (result_.isEmpty()) return;
  // A selection of an elided text would hold the ellipsis: copy it whole.
  const bool partial = hasSelectedText() && text() == result_;
  QGuiApplication::clipboard()->setText(partial ? selectedText() : result_);
}

// Shows the result whole when it fits between the indents, otherwise elided.
void ResultLabel::showFitted() {
  if (result_.isEmpty()) {  // nothing to measure, before the first click
    setText({});
    return;
  }
  const QFontMetrics metrics = fontMetrics();
  const std::string shown =
      lc::form::fitResult(result_.toStdString(), format_, contentsRect().width(), indent(),
                          [&](std::string_view candidate) {
                            return metrics.horizontalAdvance(QString::fromUtf8(
                                candidate.data(), static_cast<qsizetype>(candidate.size())));
                          });
  setText(QString::fromStdString(shown));
}
