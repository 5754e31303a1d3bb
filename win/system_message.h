// Windows' own description of a status code.
#pragma once

#include <string>

// The system's message text for status (an error code or HRESULT) in the
// user's language, without its line end; empty when the system has none.
std::string SystemMessageText(unsigned long status);
