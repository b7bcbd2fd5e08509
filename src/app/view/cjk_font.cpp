#include "app/view/cjk_font.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>

void UseCjkCapableFont(QApplication& application) {
  QFont font = application.font();
  // The window's captions are Chinese; a font that lacks a common character
  // such as U+4E2D lacks them all.
  if (QFontMetrics(font).inFontUcs4(0x4E2D)) return;
  const QStringList families = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
  if (families.isEmpty()) return;
  QString chosen = families.first();
  for (const QString& family : families)
    if (family.contains(QStringLiteral("Micro Hei"), Qt::CaseInsensitive)) chosen = family;
  font.setFamily(chosen);
  QApplication::setFont(font);
}
