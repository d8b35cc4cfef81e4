// The caption bar's font, fitted to the title it shows.
#pragma once

#include <QFont>
#include <QString>

class QPaintDevice;

namespace countdown::frame {

// `title` with every digit as 0: titles of the same shape take the same font, so a number keeps
// its size while it changes.
QString ShapeOf(const QString& title);

// `font`, narrowed and then made smaller until `shape` (a text whose digits are all 0) fits in
// `room` pixels with each digit as the font's widest; `font` itself where it fits.
QFont FitToRoom(QFont font, const QString& shape, int room, const QPaintDevice* device);

}  // namespace countdown::frame
