// Lists of strings, each with an optional object.
//
//   TStrings     the abstract list: text forms (Text, CommaText, DelimitedText), name=value
//                lines, update blocks, loading and saving, assignment.
//   TStringList  the list held in memory: sorting, duplicates, case sensitivity, owned objects,
//                change events.
//
// Text forms follow the conventions the rest of the system's data use: Text ends every line,
// the last included, with CR LF; CommaText quotes an item that holds a space, a control
// character, a comma or a quote, doubling the quotes inside. Comparisons are locale-aware
// (CompareStringW), case-insensitive unless a list says otherwise, and a sorted list's Find
// uses the same comparison as its Sort.
#pragma once

#include "framework/Duplicates.h"
#include "framework/Events.h"
#include "framework/Objects.h"
#include "framework/Streams.h"
#include "framework/TextEncoding.h"

#include <vector>

class TStrings : public TPersistent {
    CLASS_INFO(TStrings, TPersistent)
public:
    // Index errors raise EStringListError "List index out of bounds (<index>)".
    virtual int Count() const = 0;
    virtual UnicodeString Strings(int index) const = 0;
    virtual void Put(int index, const UnicodeString& text) = 0;
    virtual TObject* Objects(int index) const = 0;
    virtual void PutObject(int index, TObject* object) = 0;
    virtual int AddObject(const UnicodeString& text, TObject* object) = 0;
    virtual void InsertObject(int index, const UnicodeString& text, TObject* object) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    virtual void Exchange(int index1, int index2) = 0;
    // Moves the item (and its object) so that it ends up at `newIndex`.
    virtual void Move(int currentIndex, int newIndex) = 0;

    int Add(const UnicodeString& text) { return AddObject(text, nullptr); }
    void Insert(int index, const UnicodeString& text) { InsertObject(index, text, nullptr); }
    // Appends every item of `strings` with its object (an owning list then shares them).
    void AddStrings(TStrings* strings);
    void Assign(TPersistent* source) override;
    // Same count and the same strings, compared exactly.
    bool Equals(TStrings* strings) const;

    virtual int IndexOf(const UnicodeString& text) const;
    int IndexOfObject(TObject* object) const;

    // Change events wait for the outermost EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const noexcept { return FUpdateCount; }

    UnicodeString Text() const;
    void SetText(const UnicodeString& text);
    UnicodeString CommaText() const;
    void SetCommaText(const UnicodeString& text);
    UnicodeString DelimitedText() const;
    void SetDelimitedText(const UnicodeString& text);
    wchar_t Delimiter() const noexcept { return FDelimiter; }
    void SetDelimiter(wchar_t delimiter) noexcept { FDelimiter = delimiter; }
    wchar_t QuoteChar() const noexcept { return FQuoteChar; }
    void SetQuoteChar(wchar_t quoteChar) noexcept { FQuoteChar = quoteChar; }
    // Strict: only the delimiter separates items and spaces need no quotes.
    bool StrictDelimiter() const noexcept { return FStrictDelimiter; }
    void SetStrictDelimiter(bool strict) noexcept { FStrictDelimiter = strict; }

    // Name=value lines. A line without the separator has an empty name and value.
    wchar_t NameValueSeparator() const noexcept { return FNameValueSeparator; }
    void SetNameValueSeparator(wchar_t separator) noexcept { FNameValueSeparator = separator; }
    UnicodeString Names(int index) const;
    UnicodeString ValueFromIndex(int index) const;
    UnicodeString Values(const UnicodeString& name) const;
    // Replaces or adds the line; an empty value deletes it.
    void SetValue(const UnicodeString& name, const UnicodeString& value);
    int IndexOfName(const UnicodeString& name) const;

    // Reads from the stream's position to its end: a byte-order mark selects UTF-8 or UTF-16,
    // no mark means ACP text.
    void LoadFromStream(TStream* stream);
    void LoadFromFile(const UnicodeString& fileName);
    // ACP text without a mark, or `encoding` preceded by its mark.
    void SaveToStream(TStream* stream, TTextEncoding encoding = TTextEncoding::Ansi) const;
    void SaveToFile(const UnicodeString& fileName,
                    TTextEncoding encoding = TTextEncoding::Ansi) const;

protected:
    // Answers <0, 0 or >0; TStrings compares case-insensitively.
    virtual int CompareStrings(const UnicodeString& a, const UnicodeString& b) const;
    // Told when the first BeginUpdate starts a block and the last EndUpdate ends it.
    virtual void SetUpdateState(bool updating);
    [[noreturn]] static void IndexError(int index);
    // Runs `change` inside an update block that ends even when it raises.
    template <class F> void WithinUpdate(F&& change) {
        BeginUpdate();
        try {
            change();
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    }

private:
    // Clears the list and adds the items, as one change.
    void ReplaceWith(const std::vector<UnicodeString>& items);

    int FUpdateCount = 0;
    wchar_t FDelimiter = L',';
    wchar_t FQuoteChar = L'"';
    wchar_t FNameValueSeparator = L'=';
    bool FStrictDelimiter = false;
};

class TStringList : public TStrings {
    CLASS_INFO(TStringList, TStrings)
public:
    // A compare function for CustomSort: <0 when item i goes before item j.
    using TStringListSortCompare = int (*)(TStringList* list, int index1, int index2);

    explicit TStringList(bool ownsObjects = false) : FOwnsObjects(ownsObjects) {}
    ~TStringList() override;

    int Count() const override { return static_cast<int>(FItems.size()); }
    UnicodeString Strings(int index) const override;
    // Raises on a sorted list, like Insert, Exchange and Move.
    void Put(int index, const UnicodeString& text) override;
    TObject* Objects(int index) const override;
    // The object replaced is not freed: it goes back to the caller.
    void PutObject(int index, TObject* object) override;
    // On a sorted list: inserted at its sorted place, duplicates as Duplicates() says.
    int AddObject(const UnicodeString& text, TObject* object) override;
    void InsertObject(int index, const UnicodeString& text, TObject* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    void Move(int currentIndex, int newIndex) override;
    int IndexOf(const UnicodeString& text) const override;

    // Binary search of a sorted list: true and the first equal item's index, or false and the
    // index where the text would be inserted.
    bool Find(const UnicodeString& text, int& index) const;
    // Does nothing on a sorted list, which is in order already.
    void Sort();
    // Raises on a sorted list, whose order is its comparison's.
    void CustomSort(TStringListSortCompare compare);

    bool Sorted() const noexcept { return FSorted; }
    void SetSorted(bool sorted);
    // Applies to sorted lists only: an unsorted list accepts every item.
    TDuplicates Duplicates() const noexcept { return FDuplicates; }
    void SetDuplicates(TDuplicates duplicates) noexcept { FDuplicates = duplicates; }
    bool CaseSensitive() const noexcept { return FCaseSensitive; }
    // A sorted list sorts itself again by the new comparison.
    void SetCaseSensitive(bool caseSensitive);
    // An owning list frees objects it deletes, clears, or holds when freed.
    bool OwnsObjects() const noexcept { return FOwnsObjects; }
    void SetOwnsObjects(bool ownsObjects) noexcept { FOwnsObjects = ownsObjects; }

    // Outside update blocks both fire around every change; inside one, OnChanging fires before
    // the block's first change and OnChange once at the outermost EndUpdate, if anything changed.
    TNotifyEvent OnChanging;
    TNotifyEvent OnChange;

protected:
    int CompareStrings(const UnicodeString& a, const UnicodeString& b) const override;
    void SetUpdateState(bool updating) override;

private:
    struct TStringItem {
        UnicodeString FString;
        TObject* FObject;
    };

    void Changing();
    void Changed();
    void CheckIndex(int index, int count) const;
    void CheckUnsorted() const;
    void InsertItem(int index, const UnicodeString& text, TObject* object);
    static int CompareItems(TStringList* list, int index1, int index2);
    void SortItems(TStringListSortCompare compare);
    void QuickSort(int low, int high, TStringListSortCompare compare);
    void FreeObjects(std::vector<TStringItem>& items) const noexcept;

    std::vector<TStringItem> FItems;
    TDuplicates FDuplicates = dupIgnore;
    bool FSorted = false;
    bool FCaseSensitive = false;
    bool FOwnsObjects;
    bool FChangedInUpdate = false; // a change happened inside the current update block
};
