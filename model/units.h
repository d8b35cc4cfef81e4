// The table of counting units: which interval each entry of the unit list counts, and the label
// the list shows for it.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace countdown {

// One counting unit: the interval code understood by IntervalCount and the label shown to the
// user. Both are UTF-8 text.
struct UnitEntry {
  std::string Interval;
  std::string Label;

  friend bool operator==(const UnitEntry&, const UnitEntry&) = default;
};

// Codes and labels alternate, code first: element 2i is the code of row i, element 2i + 1 its
// label, in Japanese.
inline constexpr std::array<std::string_view, 14> UnitSource{
    "s",    "\u79D2",  // seconds
    "n",    "\u5206",  // minutes
    "h",    "\u6642",  // hours
    "ww",   "\u9031",  // weeks
    "d",    "\u65E5",  // days
    "m",    "\u6708",  // months
    "yyyy", "\u5E74",  // years
};

// Called right after a row has been filled, before the next one is built.
using UnitRowFilled = std::function<void(const UnitEntry&)>;

// Builds one row per code/label pair of `source`, in order. An odd trailing text has no label to
// pair with and is ignored.
std::vector<UnitEntry> BuildUnits(std::span<const std::string_view> source,
                                  const UnitRowFilled& rowFilled = {});

// Row `position` of `units`; a position outside the table throws std::out_of_range.
const UnitEntry& UnitAt(const std::vector<UnitEntry>& units, int position);

}  // namespace countdown
