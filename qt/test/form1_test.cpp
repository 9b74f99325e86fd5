// SPDX-FileCopyrightText: 2026 The lccalc developers
// SPDX-License-Identifier: MIT
// Where a long result is shortened: the edges of the table every front-end
// shares (form/test/shortening.txt says which), measured in the result
// label's own font, on whatever platform it runs (offscreen at each screen
// scale, and a real X server's fonts). What a user meets in the window is
// the scenario table's (form/test/window_test.py, through driver.cpp).
#include "form1.h"

#include <QApplication>
#include <QLocale>
#include <QtTest>

#include "lc/form/testing/shortening.h"
#include "resultlabel.h"

class Form1Test : public QObject {
  Q_OBJECT

 private slots:
  void longResultIsShortenedAtTheEdgeOfItsLabel_data();
  void longResultIsShortenedAtTheEdgeOfItsLabel();
};

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
  const QFontMetrics metrics = label->fontMetrics();
  const auto edge = [&](std::string_view text) {
    return metrics.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size()))) +
           2 * table.padding + border;
  };
  for (const auto& [width, shown] : lc::form::testing::shorteningEdges(row, edge)) {
    label->resize(width, label->height());
    label->setResult(whole);
    QVERIFY2(label->text() == QString::fromStdString(shown),
             qPrintable(QStringLiteral("at %1: %2").arg(width).arg(label->text())));
  }
}

QTEST_MAIN(Form1Test)
#include "form1_test.moc"
