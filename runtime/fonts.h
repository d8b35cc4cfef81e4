// The system's font configuration, read ahead.
#pragma once

#include <thread>

namespace countdown::runtime {

// Reads the font configuration (fontconfig's files and caches) on a thread of its own while Qt
// starts, so that it is loaded when the caption's count is first measured: it takes several
// milliseconds, more with more fonts, which would otherwise stand between the window's mapping
// and its first count on screen. Qt finds it loaded and does not read it again. Start it once
// the environment and the locale are settled (fontconfig reads both), and join it before other
// threads or processes are started. The thread is joined when the result is destroyed at the
// latest; does nothing where fontconfig is not used.
std::jthread ReadFontConfigurationAhead();

}  // namespace countdown::runtime
