// The account exchanges' POST: a fresh client per request, as the servers expect no kept-alive
// state, and the fall-back from the current to the other account server. A failed request only
// ever means "no reply" to the exchanges, so the exceptions are caught here, never shown.
#include "client/AccountServerPost.h"

#include "client/AccountServerProtocol.h"
#include "client/AppShared.h"

namespace accountpost {

UnicodeString Post(const UnicodeString& url, const THttpFields& fields, Cardinal readTimeout) {
    THttpClient client;
    client.SetUserAgent(AccountPostUserAgent);
    client.SetReadTimeout(readTimeout);
    return client.Post(url, fields);
}

UnicodeString PostOrEmpty(const UnicodeString& url, const THttpFields& fields,
                          Cardinal readTimeout) {
    try {
        return Post(url, fields, readTimeout);
    } catch (const Exception&) {
        return {};
    }
}

bool PostWithFallback(const UnicodeString& path, const THttpFields& fields, UnicodeString& reply) {
    reply.clear();
    try {
        reply = Post(AccountUrl(cur_server, path), fields, AccountTimeouts().Post);
        return true;
    } catch (const Exception&) {
    }
    try {
        reply = Post(AccountUrl(bak_server, path), fields, AccountTimeouts().Post);
    } catch (const Exception&) {
        return false;
    }
    // The other server answered: it stays the current one for the rest of the process.
    cur_server = bak_server;
    return true;
}

} // namespace accountpost
