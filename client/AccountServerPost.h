// The two ways the account exchanges post a form, shared by the account server's and the second
// service's exchanges. Not for use outside them.
#pragma once

#include "framework/HttpClient.h"

namespace accountpost {

// One POST with a fresh client: the exchange's read time-out, the program's request headers, no
// redirects. Raises EHttpError (or the client's other errors) on any failure.
UnicodeString Post(const UnicodeString& url, const THttpFields& fields, Cardinal readTimeout);

// The same POST, to `cur_server` and, when that raises, to `bak_server`, which becomes
// `cur_server` once it has answered (so both then name it). False when both raised; `reply` is
// then empty.
bool PostWithFallback(const UnicodeString& path, const THttpFields& fields, UnicodeString& reply);

// The reply of one POST, or an empty text when it failed.
UnicodeString PostOrEmpty(const UnicodeString& url, const THttpFields& fields,
                          Cardinal readTimeout);

} // namespace accountpost
