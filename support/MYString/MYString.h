// The text toolkit: small helper objects, each holding one text (`f_string`, T below) and a
// saved copy (`f_backup`), with operations on it reached through reference-counted interfaces.
//
//   Istrings .. Istrings4   the interfaces; each extends the one before, so the four share one
//                           table whose order is part of the contract (callers may call an
//                           operation by its place)
//   strings                 text, conversion, HTTP GET, environment, file-name, Base64 (Istrings)
//   strings2                + text files and module resources (Istrings2)
//   strings3                + the JSON document of the text (Istrings3)
//   strings4                + registry values through an owned accessor (Istrings4)
//   MYStringModule          start-up: the search-path and executable-extension lists
//   SetHttpGetFunction, SetJsonParseFunction
//                           the HTTP client and the JSON parser the program binds at start-up
//
// The apply convention: an operation with an `apply` flag computes its result from T without
// changing it, stores the result as the new T only when the flag is true, and returns the
// result either way.
//
// Each class is written once as a template over the interface it answers (`strings_t<I>` ...
// `strings4_t<I>`, each deriving from the level below), and the concrete classes pick their
// level's interface: `strings2` is `strings2_t<Istrings2>`, built on `strings_t<Istrings2>`.
// So every object holds exactly one table, that of its own interface, and answers the queries
// for its interface and every one below with it; a C++ class deriving from `strings` could not,
// as its Istrings2 table would need every Istrings operation overridden a second time.
//
// Failures: the text operations raise nothing of their own (conversions fall back to defaults),
// `http_get` and `as_json` never raise; the registry and file operations raise the class
// library's errors where they say so. An object is used by one thread at a time.
#pragma once

#include "framework/Conversions.h"
#include "framework/DateTime.h"
#include "framework/Interfaces.h"
#include "framework/ModuleInit.h"
#include "framework/Registry.h"
#include "framework/StringLists.h"

#include <windows.h>

#include <array>
#include <vector>

using TStringArray5 = std::array<UnicodeString, 5>;
using TStringArray10 = std::array<UnicodeString, 10>;
using TStringArray20 = std::array<UnicodeString, 20>;

// ---- Services bound by the program ----------------------------------------------------------

// One GET as `strings.http_get` makes it, redirects followed. The function returns the body's
// bytes, or raises on any failure (name lookup, connection, time-out, an HTTP error status).
struct THttpGetRequest {
    UnicodeString Url;
    UnicodeString UserAgent;
    Integer ReadTimeout = 0; // milliseconds per read
};
using THttpGetFunction = RawByteString (*)(const THttpGetRequest& request);
// Binds the GET (null: none, every GET then fails; the class library's HTTP client until a
// test binds another); answers the function bound before.
THttpGetFunction SetHttpGetFunction(THttpGetFunction get);

// A parsed JSON document, held by its IInterface until the JSON library's own interface type
// is linked in. The parse function answers the document or null, or raises on a parse error.
using TJsonDocument = TComPtr<IInterface>;
using TJsonParseFunction = TJsonDocument (*)(const UnicodeString& text);
// Binds the parser (null: none, every document is then null); answers the one bound before.
TJsonParseFunction SetJsonParseFunction(TJsonParseFunction parse);

// ---- Module data ----------------------------------------------------------------------------

// Start-up fills these from the environment ("Path" and "PATHEXT" split at ";"); a start-up
// counter lets more than one start-up list in a process name the toolkit. Read-only afterwards.
TModuleEntry MYStringModule();
const std::vector<UnicodeString>& SearchPaths();
const std::vector<UnicodeString>& ExecutableExtensions();

// ---- The rules behind the operations (T passed in, results returned) ------------------------

namespace mystring {

inline constexpr Integer HttpReadTimeout = 30000;
inline constexpr wchar_t HttpUserAgent[] = L"iisuser_class";

// The pieces of the text between separators: empty pieces are skipped, the last piece is always
// there (also when empty); an empty separator gives the whole text as one piece.
std::vector<UnicodeString> SplitPieces(const UnicodeString& text, const UnicodeString& separator);
template <std::size_t N>
void SplitInto(std::array<UnicodeString, N>& parts, const UnicodeString& text,
               const UnicodeString& separator) {
    parts.fill(UnicodeString());
    const std::vector<UnicodeString> pieces = SplitPieces(text, separator);
    for (std::size_t i = 0; i < N && i < pieces.size(); ++i) parts[i] = pieces[i];
}
TStringList* SplitToList(const UnicodeString& text, const UnicodeString& separator);

UnicodeString SubStr(const UnicodeString& text, Integer index, Integer count);
Integer PosOf(const UnicodeString& text, const UnicodeString& needle, Integer start);
bool StartsWith(const UnicodeString& text, const UnicodeString& prefix);
bool EndsWith(const UnicodeString& text, const UnicodeString& suffix);
// The text with its first matching ending replaced (the text itself when none matches).
UnicodeString ChangeSuffix(const UnicodeString& text, const std::vector<UnicodeString>& endings,
                           const UnicodeString& newEnding);
bool SameAs(const UnicodeString& text, const UnicodeString& other, Integer ignoreCase);
UnicodeString Reverse(const UnicodeString& text);
UnicodeString RepeatText(const UnicodeString& text, Integer count);
UnicodeString RandomText(Integer count);

UnicodeString NowText(const UnicodeString& format);
TDateTime AsDate(const UnicodeString& text);
UnicodeString FromAnsi(const char* buffer);
UnicodeString FromByteDigits(const wchar_t* buffer);
bool IsGuid(const UnicodeString& text);
UnicodeString Base64Decode(const UnicodeString& text);
UnicodeString HttpGet(const UnicodeString& url);
// The parsed document in `document`; false (and `document` untouched) when the parser raised.
bool TryParseJson(const UnicodeString& text, TJsonDocument& document);

// The variable's value; empty when it is not set.
UnicodeString EnvironmentVariable(const wchar_t* name);
UnicodeString WindowsDir();
UnicodeString ExpandEnv(const UnicodeString& text);
void DebugOut(const UnicodeString& text);
// The file a command line starts, and the text T holds afterwards when applied.
struct TCommandFile {
    UnicodeString Result;
    UnicodeString Applied;
};
TCommandFile CommandFile(const UnicodeString& text);

UnicodeString FileName(const UnicodeString& path);
UnicodeString FileExt(const UnicodeString& path);
UnicodeString FilePath(const UnicodeString& path);
UnicodeString FileDrive(const UnicodeString& path);
UnicodeString ShortPath(const UnicodeString& path);
bool FileExists(const UnicodeString& path);
bool LoadFile(const UnicodeString& fileName, UnicodeString& text);
void SaveFile(const UnicodeString& fileName, const UnicodeString& text);
UnicodeString LoadResource(HMODULE module, const UnicodeString& name, const wchar_t* resourceType);

UnicodeString ReadBinaryText(const TRegistry& reg, const UnicodeString& name);
void ReplaceNames(TStrings* list, const std::vector<UnicodeString>& names);
void AllKeyNames(TStrings* list, const UnicodeString& keyPath, HKEY root);

} // namespace mystring

// ---- Interfaces -----------------------------------------------------------------------------

struct Istrings : IInterface {
    INTERFACE_ID(Istrings, IInterface, "{FB4DCBAF-952D-49B3-B174-82C3672AB582}")
    virtual void save_text() = 0;
    virtual void restore_text() = 0;
    virtual UnicodeString now_text(const UnicodeString& format, bool apply) = 0;
    virtual UnicodeString windows_dir(bool apply) = 0;
    virtual UnicodeString command_file(bool apply) = 0;
    virtual void debug_out(const UnicodeString& text) = 0;
    virtual UnicodeString expand_env(bool apply) = 0;
    virtual Integer as_int() = 0;
    virtual Int64 as_int64() = 0;
    virtual UnicodeString sub_str(Integer index, Integer count) = 0;
    virtual UnicodeString left_str(Integer count) = 0;
    virtual UnicodeString right_str(Integer count) = 0;
    virtual Integer pos_of(const UnicodeString& needle, Integer start) = 0;
    virtual void split5(TStringArray5& parts, const UnicodeString& separator) = 0;
    virtual void split10(TStringArray10& parts, const UnicodeString& separator) = 0;
    virtual void split20(TStringArray20& parts, const UnicodeString& separator) = 0;
    // A new list the caller frees; null for an empty separator.
    virtual TStringList* split_list(const UnicodeString& separator) = 0;
    virtual UnicodeString get_text() = 0;
    virtual void set_text(const UnicodeString& text) = 0;
    virtual UnicodeString replace(const UnicodeString& oldText, const UnicodeString& newText,
                                  TReplaceFlags flags, bool apply) = 0;
    virtual UnicodeString lower(bool apply) = 0;
    virtual UnicodeString upper(bool apply) = 0;
    virtual bool starts_with(const UnicodeString& prefix) = 0;
    virtual bool ends_with(const UnicodeString& suffix) = 0;
    virtual UnicodeString change_suffix(const std::vector<UnicodeString>& endings,
                                        const UnicodeString& newEnding, bool apply) = 0;
    virtual bool same_as(const UnicodeString& other, Integer ignoreCase) = 0;
    virtual UnicodeString first_char(bool remove) = 0;
    virtual UnicodeString prepend(const UnicodeString& text, bool apply) = 0;
    virtual UnicodeString last_char(bool remove) = 0;
    virtual UnicodeString delete_at(Integer index, Integer count) = 0;
    virtual UnicodeString append(const UnicodeString& text, bool apply) = 0;
    virtual UnicodeString reverse(bool apply) = 0;
    virtual UnicodeString set_int(Integer value) = 0;
    virtual UnicodeString repeat_text(Integer count, bool apply) = 0;
    virtual UnicodeString random_text(Integer count, bool apply) = 0;
    virtual UnicodeString wrap(const UnicodeString& outer, bool apply) = 0;
    virtual TDateTime as_date() = 0;
    virtual UnicodeString http_get(const UnicodeString& url, bool apply) = 0;
    virtual UnicodeString from_ansi(const char* buffer, bool apply) = 0;
    virtual UnicodeString from_byte_digits(const wchar_t* buffer, bool apply) = 0;
    virtual bool is_guid() = 0;
    virtual UnicodeString trim_text(bool apply) = 0;
    virtual Integer len() = 0;
    virtual UnicodeString file_name() = 0;
    virtual UnicodeString file_ext() = 0;
    virtual UnicodeString file_path() = 0;
    virtual UnicodeString file_drive() = 0;
    virtual UnicodeString short_path() = 0;
    virtual bool file_exists(const UnicodeString& fileName) = 0;
    virtual UnicodeString base64_decode(bool apply) = 0;
};

struct Istrings2 : Istrings {
    INTERFACE_ID(Istrings2, Istrings, "{1CFA3717-9404-4DBC-9B80-F9FA6EFD2955}")
    virtual bool load_file(const UnicodeString& fileName) = 0;
    virtual void save_file(const UnicodeString& fileName) = 0;
    virtual UnicodeString load_resource(HMODULE module, const UnicodeString& name,
                                        const wchar_t* resourceType) = 0;
};

struct Istrings3 : Istrings2 {
    INTERFACE_ID(Istrings3, Istrings2, "{A10E1626-CCA8-4D31-A3C2-908DDCCD7FCD}")
    virtual TJsonDocument as_json() = 0;
};

struct Istrings4 : Istrings3 {
    INTERFACE_ID(Istrings4, Istrings3, "{5AAFD0A7-76C5-45E9-A6E6-E6F77A35A761}")
    virtual void set_root(HKEY root) = 0;
    virtual void set_prefix(const UnicodeString& prefix) = 0;
    // Always answers False.
    virtual bool set_value_name(const UnicodeString& name) = 0;
    // Whether the key could be opened is not reported: a later write raises instead.
    virtual void open_key(const UnicodeString& keyPath, bool create) = 0;
    virtual void write_int(Integer value) = 0;
    virtual void write_str(const UnicodeString& value) = 0;
    virtual void write_bool(bool value) = 0;
    virtual void write_date(TDateTime value) = 0;
    virtual UnicodeString read_str(bool apply) = 0;
    virtual UnicodeString read_binary_text(bool apply) = 0;
    virtual Integer read_int() = 0;
    virtual bool read_bool() = 0;
    virtual TDateTime read_date() = 0;
    virtual bool delete_key(const UnicodeString& keyPath) = 0;
    virtual bool delete_value() = 0;
    virtual UnicodeString full_key() = 0;
    virtual void close_key() = 0;
    virtual bool has_sub_keys() = 0;
    virtual bool key_exists(const UnicodeString& keyPath) = 0;
    virtual bool value_exists(const UnicodeString& name) = 0;
    virtual void set_lazy_write(bool lazyWrite) = 0;
    virtual void key_names(TStrings* list) = 0;
    virtual void all_key_names(TStrings* list, const UnicodeString& keyPath, HKEY root) = 0;
    virtual void value_names(TStrings* list) = 0;
    virtual void save_key() = 0;
    virtual void restore_key() = 0;
};

// ---- Implementations, one per level, over the interface of the concrete class --------------

template <class I> class strings_t : public TImplements<TInterfacedObject, I> {
public:
    strings_t() = default;
    explicit strings_t(Integer value) : f_string(IntToStr(value)) {}
    explicit strings_t(const UnicodeString& text) : f_string(text) {}

    // A new list holding the pieces of the text; the caller frees it.
    static TStringList* split_text(const UnicodeString& text, const UnicodeString& separator) {
        return mystring::SplitToList(text, separator);
    }

    void save_text() override { f_backup = f_string; }
    void restore_text() override { f_string = f_backup; }
    UnicodeString now_text(const UnicodeString& format, bool apply) override {
        return Apply(mystring::NowText(format), apply);
    }
    UnicodeString windows_dir(bool apply) override { return Apply(mystring::WindowsDir(), apply); }
    UnicodeString command_file(bool apply) override {
        mystring::TCommandFile resolved = mystring::CommandFile(f_string);
        if (apply) f_string = resolved.Applied;
        return resolved.Result;
    }
    void debug_out(const UnicodeString& text) override { mystring::DebugOut(text); }
    UnicodeString expand_env(bool apply) override {
        return Apply(mystring::ExpandEnv(f_string), apply);
    }
    Integer as_int() override { return StrToIntDef(f_string, 0); }
    Int64 as_int64() override { return StrToInt64Def(f_string, 0); }
    UnicodeString sub_str(Integer index, Integer count) override {
        return mystring::SubStr(f_string, index, count);
    }
    UnicodeString left_str(Integer count) override { return sub_str(1, count); }
    UnicodeString right_str(Integer count) override { return sub_str(-count, count); }
    Integer pos_of(const UnicodeString& needle, Integer start) override {
        return mystring::PosOf(f_string, needle, start);
    }
    void split5(TStringArray5& parts, const UnicodeString& separator) override {
        mystring::SplitInto(parts, f_string, separator);
    }
    void split10(TStringArray10& parts, const UnicodeString& separator) override {
        mystring::SplitInto(parts, f_string, separator);
    }
    void split20(TStringArray20& parts, const UnicodeString& separator) override {
        mystring::SplitInto(parts, f_string, separator);
    }
    TStringList* split_list(const UnicodeString& separator) override {
        return separator.empty() ? nullptr : split_text(f_string, separator);
    }
    UnicodeString get_text() override { return f_string; }
    void set_text(const UnicodeString& text) override { f_string = text; }
    UnicodeString replace(const UnicodeString& oldText, const UnicodeString& newText,
                          TReplaceFlags flags, bool apply) override {
        return Apply(StringReplace(f_string, oldText, newText, flags), apply);
    }
    UnicodeString lower(bool apply) override { return Apply(LowerCase(f_string), apply); }
    UnicodeString upper(bool apply) override { return Apply(UpperCase(f_string), apply); }
    bool starts_with(const UnicodeString& prefix) override {
        return mystring::StartsWith(f_string, prefix);
    }
    bool ends_with(const UnicodeString& suffix) override {
        return mystring::EndsWith(f_string, suffix);
    }
    UnicodeString change_suffix(const std::vector<UnicodeString>& endings,
                                const UnicodeString& newEnding, bool apply) override {
        if (endings.empty()) return {};
        return Apply(mystring::ChangeSuffix(f_string, endings, newEnding), apply);
    }
    bool same_as(const UnicodeString& other, Integer ignoreCase) override {
        return mystring::SameAs(f_string, other, ignoreCase);
    }
    UnicodeString first_char(bool remove) override {
        const UnicodeString first = f_string.substr(0, 1);
        if (remove && !f_string.empty()) f_string.erase(0, 1);
        return first;
    }
    UnicodeString prepend(const UnicodeString& text, bool apply) override {
        return Apply(text + f_string, apply);
    }
    UnicodeString last_char(bool remove) override {
        if (f_string.empty()) return {};
        const UnicodeString last(1, f_string.back());
        if (remove) f_string.pop_back();
        return last;
    }
    UnicodeString delete_at(Integer index, Integer count) override {
        Delete(f_string, index, count);
        return f_string;
    }
    UnicodeString append(const UnicodeString& text, bool apply) override {
        return Apply(f_string + text, apply);
    }
    UnicodeString reverse(bool apply) override { return Apply(mystring::Reverse(f_string), apply); }
    UnicodeString set_int(Integer value) override { return f_string = IntToStr(value); }
    UnicodeString repeat_text(Integer count, bool apply) override {
        return Apply(mystring::RepeatText(f_string, count), apply);
    }
    UnicodeString random_text(Integer count, bool apply) override {
        return Apply(mystring::RandomText(count), apply);
    }
    UnicodeString wrap(const UnicodeString& outer, bool apply) override {
        return Apply(outer + f_string + outer, apply);
    }
    TDateTime as_date() override { return mystring::AsDate(f_string); }
    UnicodeString http_get(const UnicodeString& url, bool apply) override {
        return Apply(mystring::HttpGet(url), apply);
    }
    UnicodeString from_ansi(const char* buffer, bool apply) override {
        return Apply(mystring::FromAnsi(buffer), apply);
    }
    UnicodeString from_byte_digits(const wchar_t* buffer, bool apply) override {
        return Apply(mystring::FromByteDigits(buffer), apply);
    }
    bool is_guid() override { return mystring::IsGuid(f_string); }
    UnicodeString trim_text(bool apply) override { return Apply(Trim(f_string), apply); }
    Integer len() override { return static_cast<Integer>(f_string.size()); }
    UnicodeString file_name() override { return mystring::FileName(f_string); }
    UnicodeString file_ext() override { return mystring::FileExt(f_string); }
    UnicodeString file_path() override { return mystring::FilePath(f_string); }
    UnicodeString file_drive() override { return mystring::FileDrive(f_string); }
    UnicodeString short_path() override { return mystring::ShortPath(f_string); }
    bool file_exists(const UnicodeString& fileName) override {
        return mystring::FileExists(fileName.empty() ? f_string : fileName);
    }
    UnicodeString base64_decode(bool apply) override {
        return Apply(mystring::Base64Decode(f_string), apply);
    }

protected:
    // The apply convention, in one place.
    UnicodeString Apply(UnicodeString result, bool apply) {
        if (apply) f_string = result;
        return result;
    }

    UnicodeString f_string;
    UnicodeString f_backup;
};

template <class I> class strings2_t : public strings_t<I> {
public:
    using strings_t<I>::strings_t;

    bool load_file(const UnicodeString& fileName) override {
        return mystring::LoadFile(fileName, this->f_string);
    }
    void save_file(const UnicodeString& fileName) override {
        mystring::SaveFile(fileName, this->f_string);
    }
    UnicodeString load_resource(HMODULE module, const UnicodeString& name,
                                const wchar_t* resourceType) override {
        return mystring::LoadResource(module, name, resourceType);
    }
};

template <class I> class strings3_t : public strings2_t<I> {
public:
    using strings2_t<I>::strings2_t;

    TJsonDocument as_json() override {
        if (!mystring::TryParseJson(this->f_string, f_so)) return nullptr;
        return f_so;
    }

protected:
    TJsonDocument f_so; // the last document parsed from the text
};

template <class I> class strings4_t : public strings3_t<I> {
public:
    strings4_t() : f_reg(new TRegistry(KEY_ALL_ACCESS)) {}
    ~strings4_t() override { f_reg->Free(); }

    void set_root(HKEY root) override {
        f_reg->SetRootKey(root);
        f_root = root;
    }
    void set_prefix(const UnicodeString& prefix) override { f_prekey = prefix; }
    bool set_value_name(const UnicodeString& name) override {
        f_name = name;
        return false;
    }
    void open_key(const UnicodeString& keyPath, bool create) override {
        f_key = keyPath.starts_with(L'\\') ? keyPath.substr(1) : keyPath;
        f_reg->CloseKey();
        f_reg->OpenKey(full_key(), create);
    }
    void write_int(Integer value) override { f_reg->WriteInteger(f_name, value); }
    void write_str(const UnicodeString& value) override { f_reg->WriteString(f_name, value); }
    void write_bool(bool value) override { f_reg->WriteBool(f_name, value); }
    void write_date(TDateTime value) override { f_reg->WriteDateTime(f_name, value); }
    UnicodeString read_str(bool apply) override {
        return this->Apply(f_reg->ValueExists(f_name) ? f_reg->ReadString(f_name) : UnicodeString(),
                           apply);
    }
    UnicodeString read_binary_text(bool apply) override {
        return this->Apply(mystring::ReadBinaryText(*f_reg, f_name), apply);
    }
    Integer read_int() override {
        return f_reg->ValueExists(f_name) ? f_reg->ReadInteger(f_name) : 0;
    }
    bool read_bool() override { return f_reg->ValueExists(f_name) && f_reg->ReadBool(f_name); }
    TDateTime read_date() override {
        return f_reg->ValueExists(f_name) ? f_reg->ReadDateTime(f_name) : 0;
    }
    bool delete_key(const UnicodeString& keyPath) override { return f_reg->DeleteKey(keyPath); }
    bool delete_value() override { return f_reg->DeleteValue(f_name); }
    UnicodeString full_key() override {
        return f_key.empty() ? f_prekey : f_prekey + L"\\" + f_key;
    }
    void close_key() override { f_reg->CloseKey(); }
    bool has_sub_keys() override { return f_reg->HasSubKeys(); }
    bool key_exists(const UnicodeString& keyPath) override { return f_reg->KeyExists(keyPath); }
    bool value_exists(const UnicodeString& name) override { return f_reg->ValueExists(name); }
    void set_lazy_write(bool lazyWrite) override { f_reg->SetLazyWrite(lazyWrite); }
    void key_names(TStrings* list) override {
        std::vector<UnicodeString> names;
        f_reg->GetKeyNames(names);
        mystring::ReplaceNames(list, names);
    }
    void all_key_names(TStrings* list, const UnicodeString& keyPath, HKEY root) override {
        mystring::AllKeyNames(list, keyPath, root);
    }
    void value_names(TStrings* list) override {
        std::vector<UnicodeString> names;
        f_reg->GetValueNames(names);
        mystring::ReplaceNames(list, names);
    }
    void save_key() override { f_bkey = f_key; }
    void restore_key() override { f_key = f_bkey; }

protected:
    TRegistry* f_reg;       // owned; root HKEY_CURRENT_USER until set_root
    HKEY f_root = nullptr;  // the root key last set
    UnicodeString f_prekey; // key-path prefix
    UnicodeString f_key;    // key path below the prefix
    UnicodeString f_name;   // value name
    UnicodeString f_bkey;   // saved key path
};

// ---- The classes ----------------------------------------------------------------------------

class strings final : public strings_t<Istrings> {
    CLASS_INFO(strings, TInterfacedObject)
public:
    using strings_t::strings_t;
};

class strings2 final : public strings2_t<Istrings2> {
    CLASS_INFO(strings2, strings)
public:
    using strings2_t::strings2_t;
};

class strings3 final : public strings3_t<Istrings3> {
    CLASS_INFO(strings3, strings2)
public:
    using strings3_t::strings3_t;
};

class strings4 final : public strings4_t<Istrings4> {
    CLASS_INFO(strings4, strings3)
};
