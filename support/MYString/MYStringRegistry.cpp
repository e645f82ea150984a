// Registry helpers of `strings4` that are more than one call on the accessor: binary values
// read as text, list filling, and the depth-first walk of a key tree. The walk opens keys
// read-only with its own accessor, so that it neither needs write access nor disturbs the
// object's open key.
#include "support/MYString/MYString.h"

#include <algorithm>

namespace mystring {

namespace {

constexpr std::size_t BinaryTextBytes = 256;

void CheckList(TStrings* list) { Check(list != nullptr, L"strings4: no string list given"); }

void WalkKeys(TStrings* list, const UnicodeString& keyPath, HKEY root) {
    std::vector<UnicodeString> names;
    {
        TRegistry reg(KEY_READ);
        reg.SetRootKey(root);
        if (!reg.OpenKeyReadOnly(keyPath)) return;
        reg.GetKeyNames(names);
    }
    for (const UnicodeString& name : names) {
        const UnicodeString child = keyPath + L"\\" + name;
        list->Add(child);
        WalkKeys(list, child, root);
    }
}

} // namespace

UnicodeString ReadBinaryText(const TRegistry& reg, const UnicodeString& name) {
    try {
        const int size = reg.GetDataSize(name);
        if (size <= 0) return {};
        std::vector<char> data(static_cast<std::size_t>(size));
        reg.ReadBinaryData(name, data.data(), data.size());
        // At most the first 256 bytes, as UTF-16 up to the first NUL character.
        const std::size_t units = std::min(data.size(), BinaryTextBytes) / sizeof(wchar_t);
        UnicodeString text(units, L'\0');
        std::copy_n(data.data(), units * sizeof(wchar_t), reinterpret_cast<char*>(text.data()));
        return text.substr(0, text.find(L'\0'));
    } catch (const Exception&) {
        return {};
    }
}

void ReplaceNames(TStrings* list, const std::vector<UnicodeString>& names) {
    CheckList(list);
    list->BeginUpdate();
    list->Clear();
    for (const UnicodeString& name : names) list->Add(name);
    list->EndUpdate();
}

void AllKeyNames(TStrings* list, const UnicodeString& keyPath, HKEY root) {
    CheckList(list);
    WalkKeys(list, keyPath, root);
}

} // namespace mystring
