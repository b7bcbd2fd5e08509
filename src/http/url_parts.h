#pragma once

#include <cstdint>

#include "platform/text.h"

// The pieces of a request address that the playlist request connects with.
// Pure functions; an address may come with the scheme "http://" in any
// letter case, or with none. Other schemes are not recognised: "https://h/p"
// gives host "https", port 0 and path "//h/p".

// The authority up to its first ":", in lower case.
Text UrlHost(const Text& url);

// The leading number after the authority's first ":" (0 when there is
// none); 80 when the authority has no ":".
std::int32_t UrlPort(const Text& url);

// From the first "/" after the host (found ignoring letter case, after the
// scheme) to the end, query included; "/" when there is none.
Text UrlPath(const Text& url);
