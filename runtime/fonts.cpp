#include "fonts.h"

#ifdef COUNTDOWN_WITH_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace countdown::runtime {

std::jthread ReadFontConfigurationAhead() {
#ifdef COUNTDOWN_WITH_FONTCONFIG
  return std::jthread([] { FcInit(); });
#else
  return {};
#endif
}

}  // namespace countdown::runtime
