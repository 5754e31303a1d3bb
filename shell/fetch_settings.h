// How many pages a run fetches at once: [Fetch] Connections in Wendrel.ini,
// read at each run. Nothing writes it; a user who wants a gentler or a
// bolder window sets it by hand.
#pragma once

#include <string>

// The setting clamped to 1..kMaxConnections; kDefaultConnections when it is
// missing or not a whole number.
int LoadConnections(const std::string& settingsPath);
