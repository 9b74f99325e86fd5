// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// The window under the offscreen platform: controls, keyboard, clicks and
// the error report.
#include "form1.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPalette>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <QTranslator>
#include <QtTest>
#include <cstdlib>
#include <memory>
#include <utility>

#include "application.h"
#include "lc/form/form.h"
#include "lc/form/layout.h"
#include "lc/form/testing/shortening.h"
#include "lccalc-16.xpm"
#include "lccalc-32.xpm"
#include "resultlabel.h"

namespace {

// What a message box showed before the test closed it.
struct Report {
  bool shown = false;
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

QString utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();

  void controlsSitWhereTheyBelong_data();
  void controlsSitWhereTheyBelong();
  void titleIsExact();
  void frequencyBoxHasItsOwnFont();
  void hugePasteIsCutToAResponsiveLength();
  void startsBlankWithFocusInTheBox();
  void tabVisitsBoxOkExitAndBack();
  void enterAndEscapeChangeNothing();
  void okShowsTheResults_data();
  void okShowsTheResults();
  void spaceOrEnterOnAFocusedButtonPressesIt();
  void failedClickIsReportedAndTheWindowGoesOn_data();
  void failedClickIsReportedAndTheWindowGoesOn();
  void commaLocaleShowsCommas();
  void longResultIsElidedBeforeItsExponent_data();
  void longResultIsElidedBeforeItsExponent();
  void longResultIsShortenedAtTheEdgeOfItsLabel_data();
  void longResultIsShortenedAtTheEdgeOfItsLabel();
  void hintSaysWhatWasRead();
  void resultIsCopiedWhole_data();
  void resultIsCopiedWhole();
  void resultsAreLabelledByTheirCaptions();
  void windowIsAFixedSizeFrame();
  void iconIsBuiltIn();
  void exitEndsTheEventLoop();
  void qtsOwnTextsAreRussian();
  void drawsInTheUsersPalette();

 private:
  template <typename T>
  T* control(const char* name) {
    auto* widget = window_->findChild<T*>(QLatin1String(name));
    if (widget == nullptr) qFatal("no control %s", name);
    return widget;
  }
  void typeFrequency(const QString& text) { control<QLineEdit>("F")->setText(text); }
  void clickOk() { QTest::mouseClick(control<QPushButton>("Ok"), Qt::LeftButton); }
  QStringList results() {
    return {control<QLabel>("LL")->text(), control<QLabel>("C")->text(),
            control<QLabel>("L")->text()};
  }

  std::unique_ptr<Form1> window_;
  // Every modal message box is closed as soon as it is up: the one a test
  // expects is noted in *expected_; any other fails the test, with its text.
  QTimer boxCloser_;
  Report* expected_ = nullptr;
  QString unexpected_;
};

void Form1Test::initTestCase() {
  connect(&boxCloser_, &QTimer::timeout, this, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (expected_ != nullptr) {
      *std::exchange(expected_, nullptr) = {true, box->windowTitle(), box->text(), box->icon()};
    } else {
      unexpected_ += box->text() + QStringLiteral(" | ");
    }
    box->accept();
  });
  boxCloser_.start(20);
}

void Form1Test::init() {
  unexpected_.clear();
  window_ = std::make_unique<Form1>(QLocale::c());
  window_->show();
  window_->activateWindow();  // on an X server with no window manager, asked for
  QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void Form1Test::cleanup() {
  window_.reset();
  expected_ = nullptr;
  QVERIFY2(unexpected_.isEmpty(), qPrintable("a report no test expected: " + unexpected_));
}

void Form1Test::controlsSitWhereTheyBelong_data() {
  QTest::addColumn<QString>("className");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QRect>("geometry");
  // Each control of the description as Qt's widget for its kind, at its
  // place in logical pixels (the layout's twips divided by 15).
  const auto className = [](lc::form::ControlKind kind) {
    switch (kind) {
      case lc::form::ControlKind::TextBox:
        return "QLineEdit";
      case lc::form::ControlKind::PushButton:
        return "QPushButton";
      case lc::form::ControlKind::GroupFrame:
        return "QGroupBox";
      case lc::form::ControlKind::CaptionLabel:
        return "QLabel";
      case lc::form::ControlKind::ResultLabel:
        break;
    }
    return "ResultLabel";
  };
  for (const auto& c : lc::form::kControls) {
    QTest::newRow(std::string(c.name).c_str())
        << className(c.kind) << utf8(c.text)
        << QRect(c.rect.left, c.rect.top, c.rect.width, c.rect.height);
  }
}

void Form1Test::controlsSitWhereTheyBelong() {
  QFETCH(QString, className);
  QFETCH(QString, text);
  QFETCH(QRect, geometry);
  auto* widget = control<QWidget>(QTest::currentDataTag());
  QCOMPARE(widget->metaObject()->className(), className);
  QCOMPARE(widget->geometry(), geometry);
  QString shown;
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) shown = edit->text();
  if (auto* button = qobject_cast<QPushButton*>(widget)) shown = button->text();
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) shown = frame->title();
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    shown = label->text();
    QCOMPARE(label->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
  }
  QCOMPARE(shown, text);
  QCOMPARE(window_->size(), QSize(lc::form::kClientWidth, lc::form::kClientHeight));
  QCOMPARE(window_->minimumSize(), window_->maximumSize());
}

void Form1Test::titleIsExact() {
  const QString title = window_->windowTitle();
  QCOMPARE(title, utf8(lc::form::kTitle));
}

void Form1Test::frequencyBoxHasItsOwnFont() {
  const QFont font = control<QLineEdit>("F")->font();
  QCOMPARE(font.families().value(0), QString("MS Sans Serif"));
  QCOMPARE(font.pixelSize(), 18);
  QCOMPARE(font.weight(), QFont::Normal);
  QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
  // Every other control keeps the window's default font.
  QCOMPARE(control<QPushButton>("Ok")->font(), window_->font());
  QCOMPARE(control<QLabel>("L")->font(), window_->font());
}

void Form1Test::hugePasteIsCutToAResponsiveLength() {
  // 10 MB would make every key take seconds; 10,000 characters keep a key
  // well under 100 ms and are far longer than any number.
  auto* box = control<QLineEdit>("F");
  QApplication::clipboard()->setText("7 MHz" + QString(10'000'000, ' '));
  QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
  QCOMPARE(box->text().size(), 10'000);
  clickOk();
  QCOMPARE(results().value(0), QString("42.8571428571429"));
}

void Form1Test::startsBlankWithFocusInTheBox() {
  QCOMPARE(results(), QStringList({"", "", ""}));
  QCOMPARE(QApplication::focusWidget(), control<QLineEdit>("F"));
}

void Form1Test::tabVisitsBoxOkExitAndBack() {
  const char* order[] = {"Ok", "Command1", "F", "Ok"};
  for (const char* name : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QString(name));
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
  QCOMPARE(QApplication::focusWidget()->objectName(), QString("F"));
}

void Form1Test::enterAndEscapeChangeNothing() {
  auto* box = control<QLineEdit>("F");
  QTest::keyClicks(box, "7");
  QTest::keyClick(box, Qt::Key_Return);
  QTest::keyClick(box, Qt::Key_Enter);
  QTest::keyClick(box, Qt::Key_Escape);
  QCOMPARE(results(), QStringList({"", "", ""}));
  QVERIFY(window_->isVisible());
  QCOMPARE(box->text(), QString("7"));
}

void Form1Test::okShowsTheResults_data() {
  QTest::addColumn<QString>("frequency");
  QTest::addColumn<QStringList>("expected");  // LL, C, L
  QTest::newRow("1 MHz") << "1" << QStringList{"300", "600", "42.2599970248962"};
  QTest::newRow("7 MHz") << "7"
                         << QStringList{"42.8571428571429", "85.7142857142858", "6.03714243212803"};
  QTest::newRow("144 MHz") << "144"
                           << QStringList{"2.08333333333333", "4.16666666666666",
                                          "0.29347220156178"};
  QTest::newRow("empty") << "" << QStringList{"0", "0", "0"};
  QTest::newRow("letters") << "abc" << QStringList{"0", "0", "0"};
  QTest::newRow("negative") << "-5" << QStringList{"0", "0", "0"};
}

void Form1Test::okShowsTheResults() {
  QFETCH(QString, frequency);
  QFETCH(QStringList, expected);
  QTest::keyClicks(control<QLineEdit>("F"), frequency);
  clickOk();
  QCOMPARE(results(), expected);
  clickOk();  // the same text gives the same results again
  QCOMPARE(results(), expected);
}

void Form1Test::spaceOrEnterOnAFocusedButtonPressesIt() {
  struct Case {
    const char* frequency;
    Qt::Key key;
    const char* wavelength;
  };
  const Case cases[] = {{"7", Qt::Key_Space, "42.8571428571429"},
                        {"144", Qt::Key_Return, "2.08333333333333"},
                        {"1", Qt::Key_Enter, "300"}};  // the keypad's Enter
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  for (const auto& c : cases) {
    typeFrequency(c.frequency);
    QTest::keyClick(control<QPushButton>("Ok"), c.key);
    QCOMPARE(results().value(0), QString(c.wavelength));
  }
}

void Form1Test::failedClickIsReportedAndTheWindowGoesOn_data() {
  QTest::addColumn<QString>("frequency");
  QTest::addColumn<QString>("error");
  QTest::addColumn<QStringList>("expected");  // LL, C, L after the failed click
  // Results from the earlier click at 7 MHz must not stay beside new ones.
  QTest::newRow("square overflows")
      << "1E+150" << utf8(lc::form::errorName(lc::ErrorKind::Overflow))
      << QStringList{"3E-148", "6E-148", ""};
  QTest::newRow("doubling overflows")
      << "2E-306" << utf8(lc::form::errorName(lc::ErrorKind::Overflow))
      << QStringList{"1.5E+308", "", ""};
  QTest::newRow("square underflows")
      << "1E-300" << utf8(lc::form::errorName(lc::ErrorKind::DivisionByZero))
      << QStringList{"3E+302", "6E+302", ""};
  QTest::newRow("hertz overflow") << "1.8E+302"
                                  << utf8(lc::form::errorName(lc::ErrorKind::Overflow))
                                  << QStringList{"", "", ""};
}

void Form1Test::failedClickIsReportedAndTheWindowGoesOn() {
  QFETCH(QString, frequency);
  QFETCH(QString, error);
  QFETCH(QStringList, expected);
  typeFrequency("7");
  clickOk();
  typeFrequency(frequency);
  Report report;
  expected_ = &report;
  clickOk();
  QVERIFY(report.shown);
  QCOMPARE(report.text, error + "\n\n" + utf8(lc::form::kErrorHint));
  QCOMPARE(report.title, window_->windowTitle());
  QCOMPARE(report.icon, QMessageBox::Warning);
  QCOMPARE(results(), expected);
  QVERIFY(window_->isVisible());
  // The window still works after the report.
  typeFrequency("144");
  clickOk();
  QCOMPARE(results().value(1), QString("4.16666666666666"));
}

void Form1Test::commaLocaleShowsCommas() {
  Form1 russian(QLocale(QLocale::Russian, QLocale::Russia));
  russian.findChild<QLineEdit*>("F")->setText("144");
  QTest::mouseClick(russian.findChild<QPushButton*>("Ok"), Qt::LeftButton);
  QCOMPARE(russian.findChild<QLabel*>("LL")->text(), QString("2,08333333333333"));
  QCOMPARE(russian.findChild<QLabel*>("C")->text(), QString("4,16666666666666"));
  QCOMPARE(russian.findChild<QLabel*>("L")->text(), QString("0,29347220156178"));
}

void Form1Test::longResultIsElidedBeforeItsExponent_data() {
  QTest::addColumn<QString>("frequency");
  QTest::addColumn<QString>("whole");  // LL's result
  QTest::addColumn<bool>("elided");
  QTest::newRow("fits") << "7"
                        << "42,8571428571429" << false;
  QTest::newRow("exponent form") << "7E+20"
                                 << "4,28571428571429E-19" << true;
  QTest::newRow("three-digit exponent") << "7E+140"
                                        << "4,28571428571429E-139" << true;
}

void Form1Test::longResultIsElidedBeforeItsExponent() {
  QFETCH(QString, frequency);
  QFETCH(QString, whole);
  QFETCH(bool, elided);
  Form1 russian(QLocale(QLocale::Russian, QLocale::Russia));
  russian.findChild<QLineEdit*>("F")->setText(frequency);
  russian.findChild<QPushButton*>("Ok")->click();
  auto* wavelength = russian.findChild<QLabel*>("LL");
  const QString shown = wavelength->text();
  if (elided) {
    QVERIFY2(shown.contains(QChar(0x2026)), qPrintable(shown));
    QCOMPARE(shown.section(QChar(0x2026), 1), whole.mid(whole.indexOf('E')));  // the exponent stays
    QVERIFY(whole.startsWith(shown.section(QChar(0x2026), 0, 0)));
  } else {
    QCOMPARE(shown, whole);
  }
  const int room = wavelength->contentsRect().width() - 2 * wavelength->indent();
  QVERIFY2(wavelength->fontMetrics().horizontalAdvance(shown) <= room, qPrintable(shown));
  QCOMPARE(wavelength->toolTip(), whole);
  QCOMPARE(QAccessible::queryAccessibleInterface(wavelength)->text(QAccessible::Name), whole);
  QCOMPARE(wavelength->size(), QSize(121, 33));
}

// The edges of the table every front-end shares (shortening.txt says
// which), measured in the label's own font.
void Form1Test::longResultIsShortenedAtTheEdgeOfItsLabel_data() {
  QTest::addColumn<int>("index");
  const auto table = lc::form::testing::shorteningTable();
  QCOMPARE(table.rows.size(), std::size_t{5});
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    QTest::newRow(table.rows[i][0].c_str()) << static_cast<int>(i);
  }
}

void Form1Test::longResultIsShortenedAtTheEdgeOfItsLabel() {
  QFETCH(int, index);
  const auto table = lc::form::testing::shorteningTable();
  const auto& row = table.rows[static_cast<std::size_t>(index)];
  const QString whole = QString::fromStdString(row[0]);
  Form1 window(whole.contains(',') ? QLocale(QLocale::Russian, QLocale::Russia) : QLocale::c());
  auto* label = window.findChild<ResultLabel*>("LL");
  const int border = label->width() - label->contentsRect().width();
  const int padding = table.padding;
  const QFontMetrics metrics = label->fontMetrics();
  const auto edge = [&](std::string_view text) {
    return metrics.horizontalAdvance(utf8(text)) + 2 * padding + border;
  };
  for (const auto& [width, shown] : lc::form::testing::shorteningEdges(row, edge)) {
    label->resize(width, label->height());
    label->setResult(whole);
    QVERIFY2(label->text() == QString::fromStdString(shown),
             qPrintable(QStringLiteral("at %1: %2").arg(width).arg(label->text())));
  }
}

void Form1Test::hintSaysWhatWasRead() {
  Form1 russian(QLocale(QLocale::Russian, QLocale::Russia));
  auto* box = russian.findChild<QLineEdit*>("F");
  box->setText("7,5");  // only the point is a decimal point
  russian.findChild<QPushButton*>("Ok")->click();
  const QString hint = utf8(lc::form::readHint("7,5", lc::NumberFormat{","}));
  QCOMPARE(box->toolTip(), hint);
  QCOMPARE(QAccessible::queryAccessibleInterface(box)->text(QAccessible::Description), hint);
}

void Form1Test::resultIsCopiedWhole_data() {
  QTest::addColumn<QString>("frequency");
  QTest::addColumn<int>("selected");  // characters selected from the start; -1: all shown
  QTest::addColumn<bool>("byKeys");   // Ctrl+C, or the context menu's Copy
  QTest::addColumn<QString>("copied");
  QTest::newRow("menu, nothing selected") << "7E+20" << 0 << false << "4.28571428571429E-19";
  QTest::newRow("menu, all of a shortened text")
      << "7E+20" << -1 << false << "4.28571428571429E-19";
  QTest::newRow("keys, all of a shortened text") << "7E+20" << -1 << true << "4.28571428571429E-19";
  QTest::newRow("keys, part of a shortened text") << "7E+20" << 4 << true << "4.28571428571429E-19";
  QTest::newRow("keys, part of a whole text") << "7" << 5 << true << "42.85";
  QTest::newRow("keys, all of a whole text") << "7" << -1 << true << "42.8571428571429";
}

void Form1Test::resultIsCopiedWhole() {
  QFETCH(QString, frequency);
  QFETCH(int, selected);
  QFETCH(bool, byKeys);
  QFETCH(QString, copied);
  typeFrequency(frequency);
  clickOk();
  auto* wavelength = control<QLabel>("LL");
  QVERIFY(wavelength->textInteractionFlags() & Qt::TextSelectableByMouse);
  if (selected != 0) {
    wavelength->setSelection(0,
                             selected > 0 ? selected : static_cast<int>(wavelength->text().size()));
    QCOMPARE(wavelength->selectedText().size(),
             selected > 0 ? selected : wavelength->text().size());
  }
  QApplication::clipboard()->clear();
  if (byKeys) {
    QTest::keyClick(wavelength, Qt::Key_C, Qt::ControlModifier);
  } else {
    QTimer::singleShot(0, [] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu != nullptr && menu->actions().size() == 1) menu->actions().first()->trigger();
      if (menu != nullptr) menu->close();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            wavelength->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(wavelength, &event);
  }
  QCOMPARE(QApplication::clipboard()->text(), copied);
}

void Form1Test::resultsAreLabelledByTheirCaptions() {
  const std::pair<const char*, const char*> pairs[] = {
      {"L", "Label1"}, {"C", "Label2"}, {"LL", "Label3"}};
  for (const auto& [result, caption] : pairs) {
    QAccessibleInterface* accessible =
        QAccessible::queryAccessibleInterface(control<QLabel>(result));
    QVERIFY(accessible != nullptr);
    const auto relations = accessible->relations(QAccessible::Label);  // its labels
    QCOMPARE(relations.size(), 1);
    QCOMPARE(relations.first().first->object(), control<QLabel>(caption));
  }
  // A result's value is its name, once; a blank result has no name.
  auto* inductance = QAccessible::queryAccessibleInterface(control<QLabel>("L"));
  QCOMPARE(inductance->text(QAccessible::Name), QString());
  typeFrequency("7");
  clickOk();
  QCOMPARE(inductance->text(QAccessible::Name), QString("6.03714243212803"));
  QCOMPARE(inductance->text(QAccessible::Description), QString());
  QCOMPARE(control<QLineEdit>("F")->accessibleName(), utf8(lc::form::captionOf(lc::Field::F)));
  // No Tab stops; a result takes the focus when clicked, to copy from it.
  for (const char* name : {"Frame1", "Label1", "L"}) {
    QVERIFY(!(control<QWidget>(name)->focusPolicy() & Qt::TabFocus));
  }
}

void Form1Test::windowIsAFixedSizeFrame() {
  QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
  QVERIFY(window_->windowFlags() & Qt::WindowMinimizeButtonHint);
  QCOMPARE(QAccessible::queryAccessibleInterface(window_.get())->role(), QAccessible::Window);
}

void Form1Test::iconIsBuiltIn() {
  // The built-in images are the drawn ones, pixel for pixel.
  const std::pair<const char* const*, const char*> icons[] = {{lccalc_16_xpm, "lccalc-16.png"},
                                                              {lccalc_32_xpm, "lccalc-32.png"}};
  for (const auto& [xpm, png] : icons) {
    const QImage drawn =
        QImage(QStringLiteral(LC_ICON_DIR "/") + png).convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!drawn.isNull());
    QCOMPARE(QImage(xpm).convertToFormat(QImage::Format_ARGB32), drawn);
  }
}

void Form1Test::exitEndsTheEventLoop() {
  typeFrequency("7");
  clickOk();
  QTimer::singleShot(
      0, [this] { QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton); });
  QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });  // a safety net, not a timing
  QCOMPARE(QApplication::exec(), 0);
}

void Form1Test::qtsOwnTextsAreRussian() {
  // Through the translation the program installs, as a user who
  // right-clicks the box sees its menu.
  QTranslator translator;
  QVERIFY(Application::installQtTranslation(translator));
  const std::unique_ptr<QMenu> menu(control<QLineEdit>("F")->createStandardContextMenu());
  QStringList entries;
  for (const QAction* action : menu->actions()) {
    if (!action->isSeparator()) entries << action->text();
  }
  QApplication::removeTranslator(&translator);
  QVERIFY(!entries.isEmpty());
  for (const QString& entry : entries) {
    QVERIFY2(entry.contains(QRegularExpression(QStringLiteral("[а-яё]"),
                                               QRegularExpression::CaseInsensitiveOption)),
             qPrintable(entries.join(QStringLiteral(" | "))));
  }
}

void Form1Test::drawsInTheUsersPalette() {
  // A dark desktop theme's palette: light text on a dark window, darker
  // boxes, nothing black or white.
  QPalette dark;
  for (const auto& [role, colour] : {std::pair{QPalette::Window, QColor(0x30, 0x30, 0x34)},
                                     {QPalette::WindowText, QColor(0xe0, 0xe0, 0xd0)},
                                     {QPalette::Base, QColor(0x20, 0x20, 0x24)},
                                     {QPalette::Text, QColor(0xf0, 0xe8, 0xd8)},
                                     {QPalette::Button, QColor(0x40, 0x40, 0x48)},
                                     {QPalette::ButtonText, QColor(0xf0, 0xf0, 0xe0)}}) {
    dark.setColor(role, colour);
  }
  const QPalette saved = QApplication::palette();
  QApplication::setPalette(dark);
  Form1 window(QLocale::c());
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  window.findChild<QLineEdit*>("F")->setText("7");
  window.findChild<QPushButton*>("Ok")->click();
  const QImage image = window.grab().toImage();
  QApplication::setPalette(saved);
  // Each text, and a result's frame, in the colour the palette gives what
  // it stands on: some pixel of it near that colour, far nearer than the
  // background is (small text is smoothed, so it may not reach it). No
  // pixel anywhere black or white.
  const auto distance = [](const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
           std::abs(a.blue() - b.blue());
  };
  const auto drawnIn = [&](const char* name, QPalette::ColorRole text, QPalette::ColorRole back) {
    const QRectF area = QRectF(window.findChild<QWidget*>(name)->geometry());
    const qreal scale = image.devicePixelRatio();
    int nearest = 3 * 255;
    for (int y = int(area.top() * scale); y < int(area.bottom() * scale); ++y) {
      for (int x = int(area.left() * scale); x < int(area.right() * scale); ++x) {
        nearest = std::min(nearest, distance(image.pixelColor(x, y), dark.color(text)));
      }
    }
    return nearest * 3 < distance(dark.color(text), dark.color(back));
  };
  for (const char* name : {"Label1", "L", "Frame1"}) {
    QVERIFY2(drawnIn(name, QPalette::WindowText, QPalette::Window), name);
  }
  QVERIFY(drawnIn("F", QPalette::Text, QPalette::Base));
  QVERIFY(drawnIn("Ok", QPalette::ButtonText, QPalette::Button));
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor colour = image.pixelColor(x, y);
      QVERIFY2(colour != Qt::black && colour != Qt::white,
               qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }
  }
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
