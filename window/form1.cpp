#include "form1.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>
#include <limits>

#include "lc/calculation.h"

namespace {

// The layout is in logical pixels (drawn up in twips, 15 to a pixel); Qt
// scales it with the screen's device pixel ratio.
constexpr QSize kClientSize(330, 219);
constexpr QRect kFrequencyBox(40, 32, 81, 33);
constexpr QRect kOkButton(40, 96, 81, 33);
constexpr QRect kExitButton(40, 160, 81, 33);
constexpr QRect kFrequencyFrame(24, 8, 113, 73);
constexpr int kRightColumn = 184;
constexpr int kRightWidth = 121;
constexpr int kCaptionHeight = 17;
constexpr int kResultHeight = 33;
constexpr int kFrequencyFontPixels = 18;
constexpr int kWindowFontPixels = 11;

void setUpCaption(QLabel* label, const QString& text, const char* name, int top) {
  label->setText(text);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(kRightColumn, top, kRightWidth, kCaptionHeight);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

// A result keeps its size whatever it shows: a long number is cut at the
// right edge, so its leading digits stay in view.
void setUpResult(QLabel* label, const char* name, int top, QLabel* caption) {
  label->setObjectName(QLatin1String(name));
  label->setGeometry(kRightColumn, top, kRightWidth, kResultHeight);
  label->setFixedSize(kRightWidth, kResultHeight);
  label->setFrameStyle(QFrame::Box | QFrame::Plain);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setIndent(4);
  // A screen reader announces the result with its caption.
  caption->setBuddy(label);
}

void setUpButton(QPushButton* button, const QString& text, const char* name, const QRect& geometry) {
  button->setText(text);
  button->setObjectName(QLatin1String(name));
  button->setGeometry(geometry);
  // Neither button is the window's default: Enter in the box does nothing.
  button->setAutoDefault(false);
  button->setDefault(false);
}

}  // namespace

Form1::Form1(const QLocale& locale, QWidget* parent) : QWidget(parent) {
  format_.decimal_separator = locale.decimalPoint().toStdString();
  createControls();

  connect(Ok, &QPushButton::clicked, this, &Form1::Ok_Click);
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::createControls() {
  setObjectName(QStringLiteral("Form1"));
  // The spaces push the author's name towards the right end of the title bar.
  setWindowTitle(tr("Расчет LC-конура") + QString(31, QLatin1Char(' ')) + QStringLiteral("TIRVAL"));
  setFixedSize(kClientSize);
  // The layout is drawn in pixels, so its font is too: the platform's family
  // at the size the captions and a 15-digit result were laid out for.
  QFont windowFont = font();
  windowFont.setPixelSize(kWindowFontPixels);
  setFont(windowFont);

  Frame1->setTitle(tr("Частота, МГц"));
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(kFrequencyFrame);

  F->setObjectName(QStringLiteral("F"));
  F->setGeometry(kFrequencyBox);
  QFont frequencyFont;
  frequencyFont.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Sans Serif")});
  frequencyFont.setStyleHint(QFont::SansSerif);
  frequencyFont.setPixelSize(kFrequencyFontPixels);
  frequencyFont.setWeight(QFont::Normal);
  F->setFont(frequencyFont);
  F->setAccessibleName(tr("Частота, МГц"));
  F->setMaxLength(std::numeric_limits<int>::max());  // any text, however long

  setUpButton(Ok, tr("OK"), "Ok", kOkButton);
  setUpButton(Command1, tr("Exit"), "Command1", kExitButton);

  setUpCaption(Label1, tr("L, мкГн"), "Label1", 16);
  setUpResult(L, "L", 32, Label1);
  setUpCaption(Label2, tr("C, пФ"), "Label2", 80);
  setUpResult(C, "C", 96, Label2);
  setUpCaption(Label3, tr("W, М"), "Label3", 144);
  setUpResult(LL, "LL", 160, Label3);

  setTabOrder(F, Ok);
  setTabOrder(Ok, Command1);
  F->setFocus();
}

void Form1::Ok_Click() {
  dispatch([this] {
    fields_.startClick();
    lc::Ok_Click(fields_, format_);
  });
}

void Form1::Command1_Click() { QApplication::quit(); }

void Form1::dispatch(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const lc::RuntimeError& error) {
    fields_.clearUnwritten();
    reportError(errorName(error.kind()), tr("Введите другую частоту и нажмите OK."));
  } catch (const std::exception& error) {
    fields_.clearUnwritten();
    reportError(tr("Внутренняя ошибка"), QString::fromLocal8Bit(error.what()));
  }
}

void Form1::reportError(const QString& name, const QString& detail) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), name, QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("errorBox"));
  box.setInformativeText(detail);
  box.exec();
}

QString Form1::errorName(lc::ErrorKind kind) {
  switch (kind) {
    case lc::ErrorKind::Overflow:
      return tr("Переполнение");
    case lc::ErrorKind::DivisionByZero:
      return tr("Деление на ноль");
    case lc::ErrorKind::UnreadableNumber:
      return tr("Недопустимое число");
    case lc::ErrorKind::InvalidResult:
      return tr("Недопустимый результат");
    case lc::ErrorKind::FieldAccess:
      return tr("Ошибка доступа к полю");
  }
  return tr("Ошибка");
}
