// Form encoding of posted fields (application/x-www-form-urlencoded). The servers read their
// fields as ACP text, so the characters are converted to the ACP before they are escaped; the
// set of bytes left as they are is the one HTML forms leave.
#include "framework/HttpClient.h"

#include "framework/TextEncoding.h"

namespace {

bool KeptAsIs(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '*' || byte == '-' || byte == '.' || byte == '_';
}

void AppendEscaped(AnsiString& out, const UnicodeString& text) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    for (const char c : UnicodeToAnsi(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (KeptAsIs(byte)) {
            out += c;
        } else if (byte == ' ') {
            out += '+';
        } else {
            out += '%';
            out += Hex[byte >> 4];
            out += Hex[byte & 0x0F];
        }
    }
}

} // namespace

AnsiString HttpEncodeForm(const THttpFields& fields) {
    AnsiString body;
    for (const THttpField& field : fields) {
        if (!body.empty()) body += '&';
        AppendEscaped(body, field.Name);
        body += '=';
        AppendEscaped(body, field.Value);
    }
    return body;
}
