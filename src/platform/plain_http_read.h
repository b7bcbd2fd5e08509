#pragma once

#include <optional>
#include <string>

#include "platform/http_backend.h"
#include "platform/text.h"

// Reads a URL's whole body with a GET, following redirects, through the
// system's proxy environment and with certificates verified. Nothing when the
// request fails (no answer, time-out, a body cut short, cancellation) or the
// final status is 400 or above; an empty body of a good answer is an engaged
// empty string. Connect and receive limits are 18 s each. Any thread.
std::optional<std::string> PlainHttpRead(HttpBackend& backend, const Text& url);
