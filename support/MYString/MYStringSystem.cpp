// The toolkit's view of the system: environment variables, expansion of environment
// references, debugger output, and the resolution of a command line to the file it starts.
// Command lines come from the registry and from users, so the resolution tries the readings a
// shell would (whole text, expanded, quoted first word, plain first word) before guessing.
#include "support/MYString/MYString.h"

namespace mystring {

namespace {

// Command-line prefixes that name the file they start by themselves; an empty entry never
// matches.
constexpr const wchar_t* CommandPrefixes[] = {L"rundll32.exe ", L"", L""};

constexpr DWORD ExpandBufferLength = 1024;

UnicodeString FirstPiece(const UnicodeString& text, const UnicodeString& separator) {
    TStringArray5 parts;
    SplitInto(parts, text, separator);
    return parts[0];
}

UnicodeString Unquoted(UnicodeString text) {
    if (text.starts_with(L'"')) text.erase(0, 1);
    if (text.ends_with(L'"')) text.pop_back();
    return text;
}

// Steps after the prefix test; `text` is the command line trimmed and lower-cased.
UnicodeString ResolveCommand(const UnicodeString& original, const UnicodeString& text) {
    if (FileExists(text)) return text;
    const UnicodeString expanded = ExpandEnv(text);
    if (FileExists(expanded)) return expanded;
    const UnicodeString firstWord = expanded.starts_with(L'"')
                                        ? ExpandEnv(FirstPiece(expanded.substr(1), L"\""))
                                        : Trim(FirstPiece(expanded, L" "));
    if (FileExists(firstWord)) return firstWord;
    const UnicodeString plainWord = ExpandEnv(Unquoted(Trim(FirstPiece(Trim(original), L" "))));
    if (FileExists(plainWord)) return plainWord;
    TStringArray5 dotted;
    SplitInto(dotted, original, L".");
    return dotted[0] + L"." + FirstPiece(dotted[1], L" ");
}

} // namespace

UnicodeString EnvironmentVariable(const wchar_t* name) {
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = GetEnvironmentVariableW(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length > buffer.size()) {
        buffer.resize(length);
        length = GetEnvironmentVariableW(name, buffer.data(), length);
    }
    return length < buffer.size() ? UnicodeString(buffer.data(), length) : UnicodeString();
}

UnicodeString WindowsDir() { return EnvironmentVariable(L"windir"); }

UnicodeString ExpandEnv(const UnicodeString& text) {
    std::vector<wchar_t> buffer(ExpandBufferLength);
    DWORD length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), ExpandBufferLength);
    if (length > buffer.size()) {
        // Longer than the usual buffer: expanded whole rather than cut.
        buffer.resize(length);
        length = ExpandEnvironmentStringsW(text.c_str(), buffer.data(), length);
    }
    if (length == 0 || length > buffer.size()) return text;
    return Trim(UnicodeString(buffer.data()));
}

void DebugOut(const UnicodeString& text) { OutputDebugStringW((L"strings: " + text).c_str()); }

TCommandFile CommandFile(const UnicodeString& text) {
    const UnicodeString cleaned = LowerCase(Trim(text));
    for (const wchar_t* prefix : CommandPrefixes)
        if (*prefix && StartsWith(cleaned, prefix)) return {prefix, cleaned};
    const UnicodeString resolved = ResolveCommand(text, cleaned);
    return {resolved, resolved};
}

} // namespace mystring
