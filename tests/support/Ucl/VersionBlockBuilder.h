// Test support: writes version blocks by hand, in the 32-bit form (UTF-16 keys, a type word)
// or the 16-bit form (8-bit keys, no type), with every part aligned to 4 bytes.
#pragma once

#include "framework/System.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

struct TBlockNode {
    std::wstring Key;
    Word Type = 1;           // 32-bit form only
    std::vector<Byte> Value; // the value's bytes as stored
    Word ValueLength = 0;    // as written in the header
    std::vector<TBlockNode> Children;
};

inline void Pad(std::vector<Byte>& out) {
    while (out.size() % 4) out.push_back(0);
}

inline void PutWord(std::vector<Byte>& out, std::size_t at, Word w) {
    std::memcpy(&out[at], &w, 2);
}

inline void Write(std::vector<Byte>& out, const TBlockNode& node, bool wide) {
    const std::size_t start = out.size();
    out.resize(start + (wide ? 6 : 4));
    PutWord(out, start + 2, node.ValueLength);
    if (wide) PutWord(out, start + 4, node.Type);
    for (wchar_t c : node.Key) {
        if (wide) {
            out.push_back(static_cast<Byte>(c & 0xFF));
            out.push_back(static_cast<Byte>(c >> 8));
        } else {
            out.push_back(static_cast<Byte>(c));
        }
    }
    out.insert(out.end(), wide ? 2 : 1, 0);
    Pad(out);
    out.insert(out.end(), node.Value.begin(), node.Value.end());
    Pad(out);
    for (const TBlockNode& child : node.Children) Write(out, child, wide);
    PutWord(out, start, static_cast<Word>(out.size() - start));
}

inline std::vector<Byte> BuildBlock(const TBlockNode& root, bool wide) {
    std::vector<Byte> out;
    Write(out, root, wide);
    return out;
}

inline TBlockNode TextNode(const std::wstring& key, const std::wstring& value, bool wide) {
    TBlockNode node{key, 1, {}, 0, {}};
    if (wide) {
        for (wchar_t c : value + L'\0') {
            node.Value.push_back(static_cast<Byte>(c & 0xFF));
            node.Value.push_back(static_cast<Byte>(c >> 8));
        }
        node.ValueLength = static_cast<Word>(value.size() + 1);
    } else {
        for (wchar_t c : value) node.Value.push_back(static_cast<Byte>(c));
        node.Value.push_back(0);
        node.ValueLength = static_cast<Word>(value.size() + 1);
    }
    return node;
}

inline TBlockNode BinaryNode(const std::wstring& key, std::vector<Byte> value) {
    TBlockNode node{key, 0, std::move(value), 0, {}};
    node.ValueLength = static_cast<Word>(node.Value.size());
    return node;
}

inline TBlockNode VersionRoot(std::vector<TBlockNode> children, DWORD flags = 0) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = 0x10000;
    fixed.dwFileVersionMS = 0x00030002;
    fixed.dwFileVersionLS = 0x00010000;
    fixed.dwProductVersionMS = 0x00070000;
    fixed.dwProductVersionLS = 0x00000009;
    fixed.dwFileFlagsMask = 0x3F;
    fixed.dwFileFlags = flags;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_APP;
    std::vector<Byte> value(sizeof(fixed));
    std::memcpy(value.data(), &fixed, sizeof(fixed));
    TBlockNode root = BinaryNode(L"VS_VERSION_INFO", value);
    root.Children = std::move(children);
    return root;
}
