#include "twips.h"

#include <QScreen>

namespace countdown {

Twips::Twips(const QScreen* screen)
    : perPixel_(1440.0 / (screen != nullptr ? screen->logicalDotsPerInch() : 96.0)) {}

}  // namespace countdown
