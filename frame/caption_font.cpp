#include "caption_font.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QTextLayout>
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

namespace {
constexpr char16_t kCharacters[] = u"0123456789-";
constexpr qsizetype kCount = std::size(kCharacters) - 1;
// How far a glyph's hinted and anti-aliased pixels may reach past its outline, in pixels of the
// font's size (at least as many device pixels).
constexpr qreal kInkMargin = 2;

// Where `c` stands in kCharacters; empty where it is none of them.
std::optional<qsizetype> IndexOf(QChar c) {
  const auto* found =
      std::find(std::begin(kCharacters), std::begin(kCharacters) + kCount, c.unicode());
  if (found == std::begin(kCharacters) + kCount) return {};
  return found - std::begin(kCharacters);
}
}  // namespace

CountGlyphs::CountGlyphs(const QFont& font, const QPaintDevice* device) {
  // Each character followed by the next, so that each one's advance is where the next begins.
  QTextLayout layout(QString::fromUtf16(kCharacters) + u'0', font, device);
  layout.beginLayout();
  const QTextLine line = layout.createLine();
  layout.endLayout();
  const QList<QGlyphRun> runs = layout.glyphRuns();
  if (runs.size() != 1 || runs.front().glyphIndexes().size() != kCount + 1) return;
  const QGlyphRun& run = runs.front();
  const QVector<quint32> glyphs = run.glyphIndexes();
  const QVector<QPointF> positions = run.positions();
  if (std::find(glyphs.begin(), glyphs.end(), 0U) != glyphs.end()) return;
  font_ = run.rawFont();
  for (qsizetype i = 0; i < kCount; ++i) {
    glyph_.push_back(glyphs[i]);
    advance_.push_back(positions[i + 1].x() - positions[i].x());
    const QRectF outline = font_.boundingRect(glyphs[i]);
    inkLeft_ = std::min(inkLeft_, outline.left());
    inkRight_ = std::max(inkRight_, outline.right());
  }
  ascent_ = line.ascent();
  descent_ = line.descent();
}

std::optional<QGlyphRun> CountGlyphs::Run(const QString& text, qreal from) const {
  if (glyph_.isEmpty()) return {};
  QVector<quint32> glyphs;
  QVector<QPointF> positions;
  glyphs.reserve(text.size());
  positions.reserve(text.size());
  qreal x = 0;
  for (const QChar c : text) {
    const std::optional<qsizetype> i = IndexOf(c);
    if (!i) return {};
    if (x + inkRight_ + kInkMargin >= from) {
      glyphs.push_back(glyph_[*i]);
      positions.push_back({x, 0});
    }
    x += advance_[*i];
  }
  QGlyphRun run;
  run.setRawFont(font_);
  run.setGlyphIndexes(glyphs);
  run.setPositions(positions);
  return run;
}

std::optional<qreal> CountGlyphs::InkFrom(const QString& text, qsizetype index) const {
  if (glyph_.isEmpty()) return {};
  qreal x = inkLeft_ - kInkMargin;
  for (const QChar c : QStringView(text).first(std::min(index, text.size()))) {
    const std::optional<qsizetype> i = IndexOf(c);
    if (!i) return {};
    x += advance_[*i];
  }
  return x;
}

}  // namespace countdown::frame
