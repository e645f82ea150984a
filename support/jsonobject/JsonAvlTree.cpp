// The member table's balanced tree: entries ordered by descending name hash and, among equal
// hashes, by ascending ordinal name. Insert and remove are recursive; the tree's height stays
// below 46 for any count that fits in 32 bits, so the recursion is shallow.
#include "support/jsonobject/jsonobject.h"

#include <utility>

// The balance steps, kept apart from the tree so that they read as the textbook ones.
struct TJsonAvlRotations {
    using E = TJsonAvlEntry;

    // Single or double rotation of a subtree whose FLt side is two levels higher. Answers whether
    // the subtree's height fell (always for insertion; not when the FLt child was balanced).
    static bool RotateRight(E*& node) {
        E* lt = node->FLt;
        if (lt->FBf <= 0) {
            const bool fell = lt->FBf != 0;
            node->FLt = lt->FGt;
            lt->FGt = node;
            node->FBf = fell ? 0 : -1;
            lt->FBf = fell ? 0 : 1;
            node = lt;
            return fell;
        }
        E* mid = lt->FGt;
        lt->FGt = mid->FLt;
        node->FLt = mid->FGt;
        mid->FLt = lt;
        mid->FGt = node;
        lt->FBf = mid->FBf > 0 ? -1 : 0;
        node->FBf = mid->FBf < 0 ? 1 : 0;
        mid->FBf = 0;
        node = mid;
        return true;
    }

    static bool RotateLeft(E*& node) {
        E* gt = node->FGt;
        if (gt->FBf >= 0) {
            const bool fell = gt->FBf != 0;
            node->FGt = gt->FLt;
            gt->FLt = node;
            node->FBf = fell ? 0 : 1;
            gt->FBf = fell ? 0 : -1;
            node = gt;
            return fell;
        }
        E* mid = gt->FLt;
        gt->FLt = mid->FGt;
        node->FGt = mid->FLt;
        mid->FGt = gt;
        mid->FLt = node;
        gt->FBf = mid->FBf < 0 ? 1 : 0;
        node->FBf = mid->FBf > 0 ? -1 : 0;
        mid->FBf = 0;
        node = mid;
        return true;
    }

    // After one side of `node` changed height by `delta` (+1 grew, -1 shrank) on side `toGt`:
    // updates the balance, rotates when needed and answers the change of the subtree's height.
    static int Rebalance(E*& node, bool toGt, int delta) {
        const Integer before = node->FBf;
        node->FBf += toGt ? delta : -delta;
        if (node->FBf == 2 || node->FBf == -2) {
            const bool fell = node->FBf == 2 ? RotateLeft(node) : RotateRight(node);
            return delta > 0 ? 0 : (fell ? -1 : 0);
        }
        if (delta > 0) return node->FBf == 0 ? 0 : 1;
        return before == 0 ? 0 : -1;
    }
};

TJsonAvlEntry::TJsonAvlEntry(const UnicodeString& name, const TJsonRef& value)
    : FHash(Hash(name)), FName(TJsonName::New(name, nullptr)), FPtr(value) {}

TJsonAvlEntry::TJsonAvlEntry(TJsonName* name, Cardinal hash, const TJsonRef& value) noexcept
    : FHash(hash), FName(name), FPtr(value) {}

TJsonAvlEntry::~TJsonAvlEntry() { FName->Release(); }

TJsonAvlEntry* TJsonAvlEntry::New(const UnicodeString& name, const TJsonRef& value,
                                  TJsonSlabs* slabs) {
    bool inSlab = false;
    TJsonAvlEntry* entry = TJsonSlabs::Make<TJsonAvlEntry>(slabs, inSlab, name, value);
    entry->FInSlab = inSlab;
    return entry;
}

TJsonAvlEntry* TJsonAvlEntry::New(TJsonName* name, Cardinal hash, const TJsonRef& value,
                                  TJsonSlabs* slabs) {
    bool inSlab = false;
    TJsonAvlEntry* entry = nullptr;
    try {
        entry = TJsonSlabs::Make<TJsonAvlEntry>(slabs, inSlab, name, hash, value);
    } catch (...) {
        name->Release(); // the entry that was to take it over was never made
        throw;
    }
    entry->FInSlab = inSlab;
    return entry;
}

void TJsonAvlEntry::Free(TJsonAvlEntry* entry) noexcept {
    TJsonSlabs::Destroy(entry, entry->FInSlab);
}

Cardinal TJsonAvlEntry::Hash(std::wstring_view name) noexcept {
    Cardinal h = 0;
    for (wchar_t c : name) h = h * 129 + static_cast<Cardinal>(c) + 0x9E370001u;
    return h;
}

TJsonAvlTree::~TJsonAvlTree() { DisposeTree(FRoot, false); }

Integer TJsonAvlTree::CompareKey(Cardinal hash, std::wstring_view name,
                                 const TJsonAvlEntry* entry) noexcept {
    if (hash != entry->FHash) return hash > entry->FHash ? -1 : 1;
    const int c = name.compare(entry->NameView());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Integer TJsonAvlTree::CompareEntries(const TJsonAvlEntry* a, const TJsonAvlEntry* b) noexcept {
    return CompareKey(a->FHash, a->NameView(), b);
}

TJsonAvlEntry* TJsonAvlTree::InsertEntry(TJsonAvlEntry* entry) {
    entry->FGt = entry->FLt = nullptr;
    entry->FBf = 0;
    bool grew = false;
    return Insert(FRoot, entry, grew);
}

TJsonAvlEntry* TJsonAvlTree::Insert(TJsonAvlEntry*& node, TJsonAvlEntry* entry, bool& grew) {
    if (!node) {
        node = entry;
        ++FCount;
        grew = true;
        return entry;
    }
    const Integer c = CompareEntries(entry, node);
    if (c == 0) {
        std::swap(node->FPtr, entry->FPtr);
        TJsonAvlEntry* existing = node;
        DisposeEntry(entry, false);
        grew = false;
        return existing;
    }
    const bool toGt = c > 0;
    TJsonAvlEntry* result = Insert(toGt ? node->FGt : node->FLt, entry, grew);
    if (grew) grew = TJsonAvlRotations::Rebalance(node, toGt, 1) > 0;
    return result;
}

TJsonRef TJsonAvlTree::Remove(const UnicodeString& name) {
    bool shrank = false;
    TJsonAvlEntry* entry = Unlink(FRoot, TJsonAvlEntry::Hash(name), name, shrank);
    if (!entry) return nullptr;
    --FCount;
    TJsonRef value = std::move(entry->FPtr);
    DisposeEntry(entry, false);
    return value;
}

// Unlinks the entry with that key from the subtree and answers it. An entry with two
// children first trades its payload with its in-order neighbour on the heavier side, which
// then holds the key at a place with at most one child.
TJsonAvlEntry* TJsonAvlTree::Unlink(TJsonAvlEntry*& node, Cardinal hash, const UnicodeString& name,
                                    bool& shrank) {
    if (!node) return nullptr;
    Integer c = CompareKey(hash, name, node);
    if (c == 0 && node->FLt && node->FGt) {
        const bool toGt = node->FBf > 0;
        TJsonAvlEntry* next = toGt ? node->FGt : node->FLt;
        while (toGt ? next->FLt : next->FGt) next = toGt ? next->FLt : next->FGt;
        std::swap(node->FHash, next->FHash);
        std::swap(node->FName, next->FName);
        std::swap(node->FPtr, next->FPtr);
        c = toGt ? 1 : -1;
    }
    if (c == 0) {
        TJsonAvlEntry* found = node;
        node = found->FLt ? found->FLt : found->FGt;
        shrank = true;
        return found;
    }
    const bool toGt = c > 0;
    TJsonAvlEntry* found = Unlink(toGt ? node->FGt : node->FLt, hash, name, shrank);
    if (shrank) shrank = TJsonAvlRotations::Rebalance(node, toGt, -1) < 0;
    return found;
}

TJsonAvlEntry* TJsonAvlTree::SearchEntry(const UnicodeString& name,
                                         TJsonAvlSearchTypes types) const {
    TJsonAvlIterator it(this);
    it.Search(name, types);
    return it.GetIter();
}

void TJsonAvlTree::Clear(bool all) {
    TJsonAvlEntry* root = std::exchange(FRoot, nullptr);
    FCount = 0;
    DisposeTree(root, all);
}

void TJsonAvlTree::DisposeTree(TJsonAvlEntry* node, bool all) {
    if (!node) return;
    DisposeTree(node->FLt, all);
    DisposeTree(node->FGt, all);
    DisposeEntry(node, all);
}

void TJsonAvlTree::DisposeEntry(TJsonAvlEntry* entry, bool) { TJsonAvlEntry::Free(entry); }
