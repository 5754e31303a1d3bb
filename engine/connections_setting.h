// How many pages a run fetches at once, as a hand-written setting asks.
#pragma once

#include <string>

namespace wendrel {

// The whole number in value clamped to 1..kMaxConnections; kDefaultConnections
// when value is empty or not a whole number. Blanks after it are allowed:
// they come from editing by hand.
int ConnectionsFromSetting(const std::string& value);

}  // namespace wendrel
