#include "units.h"

#include <stdexcept>

namespace countdown {

std::vector<UnitEntry> BuildUnits(std::span<const std::string_view> source,
                                  const UnitRowFilled& rowFilled) {
  const std::size_t rows = source.size() / 2;
  std::vector<UnitEntry> units(rows);
  for (std::size_t i = 0; i < rows; ++i) {
    units[i].Interval = source[2 * i];
    units[i].Label = source[2 * i + 1];
    if (rowFilled) rowFilled(units[i]);
  }
  return units;
}

const UnitEntry& UnitAt(const std::vector<UnitEntry>& units, int position) {
  if (position < 0 || static_cast<std::size_t>(position) >= units.size()) {
    throw std::out_of_range("Subscript out of range: there is no unit at position " +
                            std::to_string(position) + " (the table has " +
                            std::to_string(units.size()) + " rows)");
  }
  return units[static_cast<std::size_t>(position)];
}

}  // namespace countdown
