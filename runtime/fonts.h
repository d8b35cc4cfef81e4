// The system's font configuration, read ahead.
#pragma once

#include <thread>

namespace countdown::runtime {

// Reads the font configuration (fontconfig's files and caches) on a thread of its own while the
// window is set up, so that it is loaded when the caption's count is first measured: it takes
// several milliseconds, more with more fonts, which would otherwise stand between the window's
// mapping and its first count on screen. Qt finds it loaded and does not read it again. Start it
// once nothing changes the environment any more: fontconfig reads it. The thread is joined when
// the result is destroyed; does nothing where fontconfig is not used.
std::jthread ReadFontConfigurationAhead();

}  // namespace countdown::runtime
