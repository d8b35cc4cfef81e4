#include "caption_font.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <algorithm>

namespace countdown::frame {

QString ShapeOf(const QString& title) {
  QString shape = title;
  for (QChar& c : shape) {
    if (c.isDigit()) c = u'0';
  }
  return shape;
}

// Narrower first: fontconfig picks the family's condensed face where it has one (DejaVu Sans
// Condensed, Noto Sans Condensed), and Qt narrows the glyphs where it has none.
QFont FitToRoom(QFont font, const QString& shape, int room, const QPaintDevice* device) {
  const auto width = [&shape, device](const QFont& f) {
    const QFontMetricsF metrics(f, device);
    QChar widest = u'0';
    for (char16_t digit = u'1'; digit <= u'9'; ++digit) {
      if (metrics.horizontalAdvance(QChar(digit)) > metrics.horizontalAdvance(widest)) {
        widest = QChar(digit);
      }
    }
    QString text = shape;
    text.replace(u'0', widest);
    return metrics.horizontalAdvance(text);
  };
  for (const int stretch : {QFont::Unstretched, QFont::Condensed}) {
    font.setStretch(stretch);
    if (width(font) <= room) return font;
  }
  // Smaller at the narrowest width: the size in proportion to the room, then checked.
  int size = QFontInfo(font).pixelSize();
  size = std::max(1, static_cast<int>(size * room / width(font)));
  for (font.setPixelSize(size); size > 1 && width(font) > room;) font.setPixelSize(--size);
  return font;
}

}  // namespace countdown::frame
