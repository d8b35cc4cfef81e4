// The caption bar's font, fitted to the title it shows.
#pragma once

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <QVector>
#include <limits>
#include <optional>

class QPaintDevice;

namespace countdown::frame {

// `title` with every digit as 0: titles of the same shape take the same font, so a number keeps
// its size while it changes.
QString ShapeOf(const QString& title);

// `font`, narrowed and then made smaller until `shape` (a text whose digits are all 0) fits in
// `room` pixels with each digit as the font's widest; `font` itself where it fits.
QFont FitToRoom(QFont font, const QString& shape, int room, const QPaintDevice* device);

// A count's characters (digits and the minus sign) in one font, laid out once, so that a count is
// drawn without laying out text each time it changes.
class CountGlyphs {
 public:
  CountGlyphs() = default;
  CountGlyphs(const QFont& font, const QPaintDevice* device);

  // `text` as glyphs whose baseline starts at (0, 0), leaving out those that draw nothing at
  // `from` or right of it; empty where `text` has another character or the font lacks one of
  // them.
  std::optional<QGlyphRun> Run(const QString& text,
                               qreal from = -std::numeric_limits<qreal>::infinity()) const;
  // Where, from the start of `text`, its characters from `index` on begin to draw: their glyphs
  // draw nothing left of it. Empty where `text` has another character before `index`.
  std::optional<qreal> InkFrom(const QString& text, qsizetype index) const;
  // From the baseline to the top and the bottom of the font's line.
  qreal Ascent() const { return ascent_; }
  qreal Descent() const { return descent_; }

 private:
  QRawFont font_;
  QVector<quint32> glyph_;  // in the order of kCharacters
  QVector<qreal> advance_;
  // The farthest any glyph's outline reaches left of its origin and right of it.
  qreal inkLeft_ = 0;
  qreal inkRight_ = 0;
  qreal ascent_ = 0;
  qreal descent_ = 0;
};

}  // namespace countdown::frame
