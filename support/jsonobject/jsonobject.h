// JSON values in memory, the lenient JSON reader with its path evaluator, the writer and the
// rule-document validator.
//
//   IJsonObject / TJsonObject   one counted value: null, Boolean, integer, double, string,
//                               object, array or method
//   TJsonAvlEntry, TJsonAvlTree, TJsonTableString, TJsonAvlIterator
//                               an object's members: an AVL tree ordered by name hash
//   TJsonArray                  an array's elements: a growable vector of counted references
//   TJsonEnumerator, TJsonObjectIter
//                               walking the members or elements of a value
//   TJsonWriter and its sinks   string buffer, byte stream, counter, socket
//   TJsonTokenizer              the reader's state between calls (chunked input)
//   TJsonSlabs                  the memory a document's values are carved from
//
// Values are shared through TComPtr<IJsonObject>; a value may sit in several containers. The
// reader reports failures as results (nil and a TJsonTokenizerError), never as exceptions; it
// is meant for untrusted text: nesting is bounded to 32 levels, a path to 32 steps, an index
// that a path writes to at most MaxPathGrowth slots past the array's end, and every buffer it
// fills grows with a checked size. Values built by many calls may still nest deeper: writing,
// cloning, merging, clearing and packing stop at MaxNesting levels, and freeing takes no stack
// per level at all, so no value overflows the stack. Byte sinks write one byte per character and
// escape characters above 255 as \uXXXX, so that what the byte reader reads back (one character per
// byte) is what was written. Nothing here is guarded by a lock except the reference counts, the
// live-value counter and the table of data pointers: a value must not be changed on one thread
// while another uses it.
#pragma once

#include "framework/Exceptions.h"
#include "framework/Interfaces.h"
#include "framework/Sets.h"
#include "framework/Streams.h"

#include <array>
#include <cstddef>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

class TJsonObject;
class TJsonArray;
class TJsonTableString;
class TJsonEnumerator;
class TJsonWriter;
class TJsonTokenizer;
class TJsonAvlIterator;
class TJsonSlabs;
class TJsonTextOut;
struct IJsonObject;

using TJsonRef = TComPtr<IJsonObject>;

enum TJsonType : Byte { stNull, stBoolean, stDouble, stInt, stObject, stArray, stString, stMethod };

enum TJsonCompareResult { cpLess, cpEqu, cpGreat, cpError };

enum TJsonFindOption { foCreatePath, foPutValue, foDelete, foCallMethod };
using TJsonFindOptions = TSet<TJsonFindOption>;

using TJsonMethod = void (*)(const TJsonRef& This, const TJsonRef& Params, TJsonRef& Result);

enum TJsonValidateError {
    veRuleMalformated,
    veFieldIsRequired,
    veInvalidDataType,
    veFieldNotFound,
    veUnexpectedField,
    veDuplicateEntry,
    veValueNotInEnum,
    veInvalidLength,
    veInvalidRange
};
using TJsonOnValidateError = void (*)(void* sender, TJsonValidateError error,
                                      const UnicodeString& objpath);

// Destroying a value that is still referenced.
class EJsonInvalidPointer : public Exception {
public:
    using Exception::Exception;
};

struct IJsonObject : IInterface {
    INTERFACE_ID(IJsonObject, IInterface, "{4B86A9E3-E094-4E5A-954A-69048B7B6327}")
    virtual TJsonEnumerator* GetEnumerator() = 0; // the caller frees it
    virtual TJsonType GetDataType() = 0;
    virtual bool GetProcessing() = 0;
    virtual void SetProcessing(bool value) = 0;
    virtual TJsonRef ForcePath(const UnicodeString& path, TJsonType dataType = stObject) = 0;
    virtual UnicodeString Format(const UnicodeString& str, wchar_t beginSep = L'%',
                                 wchar_t endSep = L'%') = 0;
    virtual TJsonRef PathGetObject(const UnicodeString& path) = 0;
    virtual void PathPutObject(const UnicodeString& path, const TJsonRef& value) = 0;
    virtual bool PathGetBoolean(const UnicodeString& path) = 0;
    virtual void PathPutBoolean(const UnicodeString& path, bool value) = 0;
    virtual Int64 PathGetInteger(const UnicodeString& path) = 0;
    virtual void PathPutInteger(const UnicodeString& path, Int64 value) = 0;
    virtual double PathGetDouble(const UnicodeString& path) = 0;
    virtual void PathPutDouble(const UnicodeString& path, double value) = 0;
    virtual UnicodeString PathGetString(const UnicodeString& path) = 0;
    virtual void PathPutString(const UnicodeString& path, const UnicodeString& value) = 0;
    virtual TJsonMethod PathGetMethod(const UnicodeString& path) = 0;
    virtual void PathPutMethod(const UnicodeString& path, TJsonMethod value) = 0;
    virtual TJsonArray* PathGetArray(const UnicodeString& path) = 0;
    virtual TJsonRef GetN(const UnicodeString& path) = 0;
    virtual void PutN(const UnicodeString& path, const TJsonRef& value) = 0;
    virtual Integer Serialize(TJsonWriter& writer, bool indent, bool escape, Integer level) = 0;
    virtual Int64 SaveTo(TStream& stream, bool indent = false, bool escape = true) = 0;
    virtual Int64 SaveTo(const UnicodeString& fileName, bool indent = false,
                         bool escape = true) = 0;
    virtual Int64 SaveTo(UINT_PTR socket, bool indent = false, bool escape = true) = 0;
    virtual Integer CalcSize(bool indent = false, bool escape = true) = 0;
    virtual bool AsBoolean() = 0;
    virtual Int64 AsInteger() = 0;
    virtual double AsDouble() = 0;
    virtual UnicodeString AsString() = 0;
    virtual TJsonArray* AsArray() = 0;
    virtual TJsonTableString* AsObject() = 0;
    virtual TJsonMethod AsMethod() = 0;
    virtual UnicodeString AsJSon(bool indent = false, bool escape = true) = 0;
    virtual void Clear(bool all = false) = 0;
    virtual void Pack(bool all = false) = 0;
    virtual TJsonRef call(const UnicodeString& path, const TJsonRef& param = nullptr) = 0;
    virtual TJsonRef call(const UnicodeString& path, const UnicodeString& param) = 0;
    virtual TJsonRef Clone() = 0;
    virtual TJsonRef Delete(const UnicodeString& path) = 0;
    virtual void Merge(const TJsonRef& obj, bool reference = false) = 0;
    virtual void Merge(const UnicodeString& str) = 0;
    virtual bool Validate(const UnicodeString& rules, const UnicodeString& defs = L"",
                          void* sender = nullptr, TJsonOnValidateError callback = nullptr) = 0;
    virtual bool Validate(const TJsonRef& rules, const TJsonRef& defs = nullptr,
                          void* sender = nullptr, TJsonOnValidateError callback = nullptr) = 0;
    virtual TJsonCompareResult Compare(const TJsonRef& obj) = 0;
    virtual TJsonCompareResult Compare(const UnicodeString& str) = 0;
    virtual bool IsType(TJsonType type) = 0;
    virtual void* GetDataPtr() = 0;
    virtual void SetDataPtr(void* value) = 0;
};

// ---- Document memory ---------------------------------------------------------------------

// The blocks of one document's values, member entries, tables, arrays and texts, carved in turn
// from slabs of the system's memory instead of one heap block each: a document of millions of
// values then costs a fraction of the calls and none of the heap's per-block overhead. A block
// is still freed on its own (a value may outlive its document or be shared with another one);
// a slab goes back to the system once every block carved from it is freed and the reader has
// moved on, so a value kept from a large document keeps its slab. Only the reader carves (on
// its thread); blocks may be freed on any thread.
class TJsonSlabs {
public:
    static constexpr std::size_t SlabSize = 1024 * 1024;
    // Larger blocks come from the heap: a slab is never left mostly unused by one of them.
    static constexpr std::size_t MaxBlock = 2048;
    // A small document stays on the heap: so many blocks go there before the first slab, so
    // that a few values kept from many small documents do not hold a slab each.
    static constexpr Integer HeapBlocks = 4096;
    // Every block starts at a multiple of this; what is made here needs no more.
    static constexpr std::size_t Alignment = 8;

    TJsonSlabs() = default;
    TJsonSlabs(const TJsonSlabs&) = delete;
    TJsonSlabs& operator=(const TJsonSlabs&) = delete;
    ~TJsonSlabs() { Seal(); }

    // A block of `size` bytes, or nil: the caller then takes the heap.
    void* Allocate(std::size_t size) noexcept;
    // Frees a block Allocate gave.
    static void Free(void* block) noexcept;

    // An object of type T made in a block of these slabs (`slabs` may be nil) or on the heap;
    // `inSlab` tells which, for Destroy.
    template <class T, class... Args>
    static T* Make(TJsonSlabs* slabs, bool& inSlab, Args&&... args) {
        static_assert(alignof(T) <= Alignment);
        void* block = slabs ? slabs->Allocate(sizeof(T)) : nullptr;
        inSlab = block != nullptr;
        if (!block) return new T(std::forward<Args>(args)...);
        try {
            return new (block) T(std::forward<Args>(args)...);
        } catch (...) {
            Free(block);
            throw;
        }
    }
    template <class T> static void Destroy(T* object, bool inSlab) noexcept {
        if (!inSlab) return delete object;
        object->~T();
        Free(object);
    }

private:
    // Starts a new slab; false when there is none (yet): the heap it is.
    bool StartSlab() noexcept;
    void StartUnit(char* unit) noexcept;
    // Hands the current slab over to its blocks: the last one freed frees it.
    void Seal() noexcept;

    char* FSlab = nullptr; // the slab being carved
    char* FNext = nullptr;
    char* FUnitEnd = nullptr;
    char* FEnd = nullptr;
    Integer FCarved = 0;     // blocks carved from it
    Integer FHeapBlocks = 0; // blocks refused before the first slab
};

// ---- Member table ------------------------------------------------------------------------

enum TJsonAvlSearchType { stEQual, stLess, stGreater };
using TJsonAvlSearchTypes = TSet<TJsonAvlSearchType>;

// A member's name, shared through a count: the entries of a document's objects of one shape
// hold one copy of each name instead of one each. Never changed once made.
class TJsonName {
public:
    // A new name held by one reference, in a block of `slabs` when given.
    static TJsonName* New(std::wstring_view text, TJsonSlabs* slabs);
    TJsonName* Acquire() noexcept;
    void Release() noexcept;
    std::wstring_view View() const noexcept {
        return {reinterpret_cast<const wchar_t*>(this + 1), static_cast<std::size_t>(FSize)};
    }

private:
    TJsonName() = default;
    volatile LONG FRefs = 1; // changed only by Interlocked calls
    Integer FSize = 0;
    bool FInSlab = false;
    // the characters follow
};

class TJsonAvlEntry : public TObject {
public:
    TJsonAvlEntry(const UnicodeString& name, const TJsonRef& value);
    // Takes over the reference to `name`, whose hash is `hash`.
    TJsonAvlEntry(TJsonName* name, Cardinal hash, const TJsonRef& value) noexcept;
    ~TJsonAvlEntry() override;
    static Cardinal Hash(std::wstring_view name) noexcept;
    // A new entry, in a block of `slabs` when given; Free frees either kind.
    static TJsonAvlEntry* New(const UnicodeString& name, const TJsonRef& value, TJsonSlabs* slabs);
    static TJsonAvlEntry* New(TJsonName* name, Cardinal hash, const TJsonRef& value,
                              TJsonSlabs* slabs);
    static void Free(TJsonAvlEntry* entry) noexcept;

    UnicodeString Name() const { return UnicodeString(FName->View()); }
    std::wstring_view NameView() const noexcept { return FName->View(); }
    IJsonObject* Ptr() const noexcept { return FPtr.Get(); }
    const TJsonRef& Value() const noexcept { return FPtr; }
    void SetValue(const TJsonRef& value) { FPtr = value; }

private:
    friend class TJsonAvlTree;
    friend class TJsonAvlIterator;
    friend class TJsonTableString;
    friend class TJsonObject; // a dying value takes the member values out; the writer walks
    friend struct TJsonAvlRotations;

    TJsonAvlEntry* FGt = nullptr;
    TJsonAvlEntry* FLt = nullptr;
    signed char FBf = 0; // height of the FGt side minus height of the FLt side
    bool FInSlab = false;
    Cardinal FHash;
    TJsonName* FName; // never nil
    TJsonRef FPtr;
};

// Entries ordered by descending hash, equal hashes by ascending ordinal name.
class TJsonAvlTree : public TObject {
public:
    TJsonAvlTree() = default;
    ~TJsonAvlTree() override;

    Integer count() const noexcept { return FCount; }
    // Takes ownership of the entry; with a name already present the values are exchanged, the
    // new entry is disposed and the existing one returned.
    TJsonAvlEntry* InsertEntry(TJsonAvlEntry* entry);
    TJsonAvlEntry* SearchEntry(const UnicodeString& name, TJsonAvlSearchTypes types) const;
    // Unlinks the entry of that name and hands its value over; nil when there is none.
    TJsonRef Remove(const UnicodeString& name);
    void Clear(bool all = false);
    bool IsEmpty() const noexcept { return FRoot == nullptr; }

protected:
    virtual void DisposeEntry(TJsonAvlEntry* entry, bool all);
    static Integer CompareEntries(const TJsonAvlEntry* a, const TJsonAvlEntry* b) noexcept;
    static Integer CompareKey(Cardinal hash, std::wstring_view name,
                              const TJsonAvlEntry* entry) noexcept;

private:
    friend class TJsonAvlIterator;
    friend class TJsonObject; // the writer walks the entries in place
    TJsonAvlEntry* Insert(TJsonAvlEntry*& node, TJsonAvlEntry* entry, bool& grew);
    TJsonAvlEntry* Unlink(TJsonAvlEntry*& node, Cardinal hash, const UnicodeString& name,
                          bool& shrank);
    void DisposeTree(TJsonAvlEntry* node, bool all);

    TJsonAvlEntry* FRoot = nullptr;
    Integer FCount = 0;
};

class TJsonTableString : public TJsonAvlTree {
public:
    TJsonRef Lookup(const UnicodeString& name) const;
    // The entry is made in a block of `slabs` when given (the reader's).
    void Store(const UnicodeString& name, const TJsonRef& value, TJsonSlabs* slabs = nullptr);
    // The same with a name already made: takes over the reference to `name`.
    void Store(TJsonName* name, Cardinal hash, const TJsonRef& value, TJsonSlabs* slabs);
    TJsonRef Delete(const UnicodeString& name) { return Remove(name); }
    TJsonRef GetValues() const;
    TJsonRef GetNames() const;
    void Pack(bool all);
    TJsonAvlIterator* GetEnumerator() const; // the caller frees it

protected:
    void DisposeEntry(TJsonAvlEntry* entry, bool all) override;
};

// In-order walk over a table. The path holds enough levels for any AVL tree whose count fits
// in 32 bits (the height of such a tree stays below 46).
class TJsonAvlIterator : public TObject {
public:
    explicit TJsonAvlIterator(const TJsonAvlTree* tree) noexcept : FTree(tree) {}

    void First();
    void Last();
    void Next();
    void Prior();
    bool MoveNext();
    void Search(const UnicodeString& name, TJsonAvlSearchTypes types);
    TJsonAvlEntry* GetIter() const noexcept { return FDepth < 0 ? nullptr : FPath[FDepth]; }
    TJsonAvlEntry* Current() const noexcept { return GetIter(); }

private:
    static constexpr Integer MaxDepth = 64;
    void DescendLt(TJsonAvlEntry* node);
    void DescendGt(TJsonAvlEntry* node);
    void Push(TJsonAvlEntry* node, bool toGt);

    const TJsonAvlTree* FTree;
    std::array<bool, MaxDepth> FBranch{}; // true: the step into this level went to FGt
    Integer FDepth = -1;                  // -1: no current entry
    std::array<TJsonAvlEntry*, MaxDepth> FPath{};
};

// ---- Array --------------------------------------------------------------------------------

class TJsonArray : public TObject {
public:
    // Indexes at or beyond this are refused, so that a path cannot ask for gigabytes.
    static constexpr Integer MaxLength = 1 << 24;
    // A path may write at most this many slots past an array's end in one step ("a[99]" on an
    // empty array is fine, "a[16777215]" is refused), so that a short path cannot make an
    // array of millions of slots.
    static constexpr Integer MaxPathGrowth = 1024;

    TJsonArray() = default;
    ~TJsonArray() override;
    Integer Length() const noexcept { return FLength; }
    Integer Capacity() const noexcept { return FSize; }
    Integer Add(const TJsonRef& value);
    TJsonRef GetElement(Integer index) const;
    void PutElement(Integer index, const TJsonRef& value);
    void Insert(Integer index, const TJsonRef& value);
    TJsonRef Delete(Integer index);
    void Clear(bool all = false);
    void Pack(bool all = false);
    void Reserve(Integer index);

private:
    friend class TJsonObject; // the writer and the free walk the slots in place
    friend class TJsonReader; // settles the arrays it reads
    // Makes room in the storage for the slot `index` (below the capacity).
    void Occupy(Integer index);
    // Moves the slots to a storage of `count` of them (at least FLength), in a block of `slabs`
    // when given.
    void MoveSlots(Integer count, TJsonSlabs* slabs);
    void FreeSlots() noexcept;
    // An array read in full: its storage shrinks to its elements, in a block of the reader's
    // slabs, since such arrays rarely grow again (one that does moves back to the heap).
    void Settle(TJsonSlabs* slabs);

    // The slots in use: FStored of them, at least FLength, grown as slots are stored into. The
    // slots from its end to the capacity are nil without taking memory, so an array of three
    // elements holds three references, not the 32 of its capacity; slots at and beyond
    // FLength are nil.
    TJsonRef* FArray = nullptr;
    Integer FLength = 0;
    static constexpr Integer InitialCapacity = 32;
    Integer FSize = InitialCapacity; // the capacity: grows by Reserve's rule
    Integer FStored = 0;
    bool FInSlab = false; // FArray is a block of a reader's slabs
};

// ---- Enumeration --------------------------------------------------------------------------

class TJsonEnumerator : public TObject {
public:
    explicit TJsonEnumerator(const TJsonRef& obj);
    ~TJsonEnumerator() override;
    bool MoveNext();
    TJsonRef Current() const;

private:
    TJsonRef FObj;
    TJsonAvlIterator* FObjEnum = nullptr;
    Integer FCount = -1;
};

struct TJsonObjectIter {
    UnicodeString key;
    TJsonRef val;
    TJsonAvlIterator* Ite = nullptr;
    TJsonRef owner; // the object walked: kept alive while Ite points into its table
};

// ---- Writer sinks -------------------------------------------------------------------------

class TJsonWriter : public TObject {
public:
    // Answers the count written, or a negative number when the sink failed.
    virtual Integer Append(const wchar_t* buf, Integer count) = 0;
    Integer Append(const UnicodeString& text);
    virtual void Reset() = 0;
};

class TJsonWriterString : public TJsonWriter {
public:
    // Longest text the buffer grows to; beyond it Append reports failure.
    static constexpr Integer MaxChars = 0x3FFFFFF0;

    TJsonWriterString();
    using TJsonWriter::Append;
    Integer Append(const wchar_t* buf, Integer count) override;
    void Reset() override;
    void TrimRight();
    const wchar_t* Data() const noexcept { return FBuf.data(); }
    Integer Position() const noexcept { return FBPos; }
    Integer Size() const noexcept { return static_cast<Integer>(FBuf.size()); }
    UnicodeString Text() const { return UnicodeString(FBuf.data(), FBPos); }
    void DropLast() noexcept; // removes the last character written

private:
    std::vector<wchar_t> FBuf; // capacity; always holds a NUL at FBPos
    Integer FBPos = 0;
};

// One byte per character; characters above 255 are written as \uXXXX.
class TJsonWriterStream : public TJsonWriter {
public:
    explicit TJsonWriterStream(TStream& stream) noexcept : FStream(stream) {}
    using TJsonWriter::Append;
    Integer Append(const wchar_t* buf, Integer count) override;
    void Reset() override;

private:
    TStream& FStream;
};

class TJsonWriterFake : public TJsonWriter {
public:
    using TJsonWriter::Append;
    Integer Append(const wchar_t* buf, Integer count) override;
    void Reset() override { FSize = 0; }
    Integer Size() const noexcept { return FSize; }

private:
    Integer FSize = 0;
};

// Sends as the stream sink writes; a short send is continued until everything is sent.
class TJsonWriterSock : public TJsonWriter {
public:
    explicit TJsonWriterSock(UINT_PTR socket) noexcept : FSocket(socket) {}
    using TJsonWriter::Append;
    Integer Append(const wchar_t* buf, Integer count) override;
    void Reset() override { FSize = 0; }
    Int64 Size() const noexcept { return FSize; }

private:
    UINT_PTR FSocket;
    Int64 FSize = 0;
};

// ---- Reader -------------------------------------------------------------------------------

enum TJsonTokenerState : Byte {
    tsEatws,
    tsStart,
    tsFinish,
    tsNull,
    tsCommentStart,
    tsComment,
    tsCommentEol,
    tsCommentEnd,
    tsString,
    tsStringEscape,
    tsIdentifier,
    tsEscapeUnicode,
    tsEscapeHexadecimal,
    tsBoolean,
    tsNumber,
    tsArray,
    tsArrayAdd,
    tsArraySep,
    tsObjectFieldStart,
    tsObjectField,
    tsObjectUnquotedField,
    tsObjectFieldEnd,
    tsObjectValue,
    tsObjectValueAdd,
    tsObjectSep,
    tsEvalProperty,
    tsEvalArray,
    tsEvalMethod,
    tsParamValue,
    tsParamPut,
    tsMethodValue,
    tsMethodPut
};

enum TJsonTokenizerError {
    teSuccess,
    teContinue,        // the given length ended inside a value: the next chunk goes on
    teDepth,           // nesting beyond level 31
    teParseEof,        // the text ended inside a value
    teParseUnexpected, // a token or container grew beyond what the reader allows or memory holds
    teParseNull,
    teParseBoolean,
    teParseNumber,
    teParseArray,
    teParseObjectKeyName,
    teParseObjectKeySep,
    teParseObjectValueSep,
    teParseString,
    teParseComment,
    teEvalObject,
    teEvalArray,
    teEvalMethod,
    teEvalInt
};

// The names a reader made lately, by hash, so that the objects of one shape in a document share
// their names.
class TJsonNameCache {
public:
    TJsonNameCache() = default;
    TJsonNameCache(const TJsonNameCache&) = delete;
    TJsonNameCache& operator=(const TJsonNameCache&) = delete;
    ~TJsonNameCache() { Clear(); }
    // The name `text` of hash `hash`, held by a new reference for the caller.
    TJsonName* Get(std::wstring_view text, Cardinal hash, TJsonSlabs* slabs);
    void Clear() noexcept;

private:
    std::array<TJsonName*, 64> FSlots{};
};

struct TJsonTokenerSrec {
    TJsonTokenerState state = tsEatws;
    TJsonTokenerState saved_state = tsStart;
    TJsonRef obj;
    TJsonRef current;
    UnicodeString field_name;
    TJsonRef parent;
    TJsonRef gparent;
};

class TJsonTokenizer : public TObject {
public:
    static constexpr Integer MaxDepth = 32; // levels 0 to 31

    TJsonTokenizer() { ResetLevel(0); }
    ~TJsonTokenizer() override { Reset(); }
    void ResetLevel(Integer level);
    void Reset();

    TJsonWriterString pb;
    Integer depth = 0;
    Integer is_double = 0;
    Integer st_pos = 0;
    Integer char_offset = 0;
    TJsonTokenizerError err = teSuccess;
    Word ucs_char = 0;
    wchar_t quote_char = 0;
    std::array<TJsonTokenerSrec, MaxDepth> stack;
    TJsonSlabs slabs; // what the values read are made in
    TJsonNameCache names;
    // Reader bookkeeping kept between chunks: the value a closed level handed up and how many
    // index or argument values are being read.
    TJsonRef finished;
    Integer param_depth = 0;
    Integer path_steps = 0; // names a path has passed through; more than MaxDepth is refused
};

// ---- The value ----------------------------------------------------------------------------

class TJsonObject : public TObject, public IJsonObject {
public:
    // The deepest a value is written, cloned, merged, cleared or packed: deeper, writing fails
    // (an empty text, a size of -1), cloning answers nil, and the others leave the deeper
    // levels as they are. Far above what the reader makes (32) and far below what a thread's
    // stack holds.
    static constexpr Integer MaxNesting = 256;

    // The six constructors; each answers a new value held by the returned reference.
    static TJsonRef Create(TJsonType type = stObject);
    static TJsonRef Create(bool value);
    static TJsonRef Create(Int64 value);
    static TJsonRef Create(double value);
    static TJsonRef Create(const UnicodeString& value);
    static TJsonRef Create(const wchar_t* value) { return Create(UnicodeString(value)); }
    static TJsonRef Create(TJsonMethod value);

    // Destroys a value that nobody references; raises EJsonInvalidPointer otherwise.
    void Destroy();

    // Reads `length` characters of `text`, or with length -1 up to and including its NUL (the
    // text must then have one). The tokenizer keeps the state for the next chunk.
    static TJsonRef ParseEx(TJsonTokenizer& tok, const wchar_t* text, Integer length,
                            const TJsonRef& that = nullptr, TJsonFindOptions options = {},
                            const TJsonRef& put = nullptr, TJsonType dt = stNull);
    static TJsonRef ParseString(const UnicodeString& text, bool partial = true,
                                const TJsonRef& that = nullptr, TJsonFindOptions options = {},
                                const TJsonRef& put = nullptr, TJsonType dt = stNull);
    static TJsonRef ParseStream(TStream& stream, bool partial = true,
                                const TJsonRef& that = nullptr, TJsonFindOptions options = {},
                                const TJsonRef& put = nullptr, TJsonType dt = stNull);
    static TJsonRef ParseFile(const UnicodeString& fileName, bool partial = true,
                              const TJsonRef& that = nullptr, TJsonFindOptions options = {},
                              const TJsonRef& put = nullptr, TJsonType dt = stNull);

    Integer RefCount() const noexcept { return static_cast<Integer>(FRefCount); }
    TJsonType DataType() const noexcept { return FDataType; }
    void* DataPtr() const noexcept;
    bool Processing() const noexcept { return FProcessing; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    TJsonEnumerator* GetEnumerator() override;
    TJsonType GetDataType() override { return FDataType; }
    bool GetProcessing() override { return FProcessing; }
    void SetProcessing(bool value) override { FProcessing = value; }
    TJsonRef ForcePath(const UnicodeString& path, TJsonType dataType = stObject) override;
    UnicodeString Format(const UnicodeString& str, wchar_t beginSep = L'%',
                         wchar_t endSep = L'%') override;
    TJsonRef PathGetObject(const UnicodeString& path) override;
    void PathPutObject(const UnicodeString& path, const TJsonRef& value) override;
    bool PathGetBoolean(const UnicodeString& path) override;
    void PathPutBoolean(const UnicodeString& path, bool value) override;
    Int64 PathGetInteger(const UnicodeString& path) override;
    void PathPutInteger(const UnicodeString& path, Int64 value) override;
    double PathGetDouble(const UnicodeString& path) override;
    void PathPutDouble(const UnicodeString& path, double value) override;
    UnicodeString PathGetString(const UnicodeString& path) override;
    void PathPutString(const UnicodeString& path, const UnicodeString& value) override;
    TJsonMethod PathGetMethod(const UnicodeString& path) override;
    void PathPutMethod(const UnicodeString& path, TJsonMethod value) override;
    TJsonArray* PathGetArray(const UnicodeString& path) override;
    TJsonRef GetN(const UnicodeString& path) override;
    void PutN(const UnicodeString& path, const TJsonRef& value) override;
    Integer Serialize(TJsonWriter& writer, bool indent, bool escape, Integer level) override;
    Int64 SaveTo(TStream& stream, bool indent = false, bool escape = true) override;
    Int64 SaveTo(const UnicodeString& fileName, bool indent = false, bool escape = true) override;
    Int64 SaveTo(UINT_PTR socket, bool indent = false, bool escape = true) override;
    Integer CalcSize(bool indent = false, bool escape = true) override;
    bool AsBoolean() override;
    Int64 AsInteger() override;
    double AsDouble() override;
    UnicodeString AsString() override;
    TJsonArray* AsArray() override;
    TJsonTableString* AsObject() override;
    TJsonMethod AsMethod() override;
    UnicodeString AsJSon(bool indent = false, bool escape = true) override;
    void Clear(bool all = false) override;
    void Pack(bool all = false) override;
    TJsonRef call(const UnicodeString& path, const TJsonRef& param = nullptr) override;
    TJsonRef call(const UnicodeString& path, const UnicodeString& param) override;
    TJsonRef Clone() override;
    TJsonRef Delete(const UnicodeString& path) override;
    void Merge(const TJsonRef& obj, bool reference = false) override;
    void Merge(const UnicodeString& str) override;
    bool Validate(const UnicodeString& rules, const UnicodeString& defs = L"",
                  void* sender = nullptr, TJsonOnValidateError callback = nullptr) override;
    bool Validate(const TJsonRef& rules, const TJsonRef& defs = nullptr, void* sender = nullptr,
                  TJsonOnValidateError callback = nullptr) override;
    TJsonCompareResult Compare(const TJsonRef& obj) override;
    TJsonCompareResult Compare(const UnicodeString& str) override;
    bool IsType(TJsonType type) override { return FDataType == type; }
    void* GetDataPtr() override { return DataPtr(); }
    void SetDataPtr(void* value) override;

protected:
    // The table or array of a container is made in a block of `slabs` when given.
    explicit TJsonObject(TJsonType type, TJsonSlabs* slabs = nullptr);
    ~TJsonObject() override;

private:
    // The value as a counted reference to itself.
    TJsonRef Self() { return TJsonRef(static_cast<IJsonObject*>(this)); }
    // Frees the value without recursing into the values it holds (see JsonValue.cpp).
    static void Dispose(TJsonObject* value) noexcept;
    // Drops the user's data pointer from where it is kept aside.
    void ForgetDataPtr() noexcept;
    // Lets go of the values this one holds; those that die are added to `doomed`.
    void ReleaseHeld(std::vector<TJsonObject*>& doomed) noexcept;
    TJsonRef Find(const UnicodeString& path, TJsonFindOptions options,
                  const TJsonRef& put = nullptr, TJsonType dt = stNull);
    // The writer's walk (JsonSerialize.cpp): each answers false once the sink has failed or a
    // value nests too deep.
    bool WriteValue(TJsonTextOut& out, bool indent, bool escape, Integer level);
    bool IsEmptyContainer() const noexcept;
    bool WriteContents(TJsonTextOut& out, bool indent, bool escape, Integer level);
    bool WriteObject(TJsonTextOut& out, bool indent, bool escape, Integer level);
    bool WriteMembers(const TJsonAvlEntry* node, TJsonTextOut& out, bool indent, bool escape,
                      Integer level, bool& first);
    bool WriteArray(TJsonTextOut& out, bool indent, bool escape, Integer level);
    static void PrefetchElement(const TJsonRef& element, const TJsonRef& following) noexcept;
    static bool WriteElement(TJsonTextOut& out, const TJsonRef& value, bool indent, bool escape,
                             Integer level);
    void MergeObject(TJsonObject& source, bool reference);
    void MergeArray(TJsonObject& source, bool reference);

    // A string value's text: length-prefixed characters held apart (nil for the empty text),
    // so that a value of any other kind stays small; a document holds millions of values.
    static wchar_t* NewText(const wchar_t* text, std::size_t size, TJsonSlabs* slabs, bool& inSlab);
    static void FreeText(wchar_t* text, bool inSlab) noexcept;
    std::size_t StringSize() const noexcept;
    const wchar_t* StringData() const noexcept;
    UnicodeString StringValue() const { return UnicodeString(StringData(), StringSize()); }
    void SetString(const wchar_t* text, std::size_t size);
    // A new string value of `size` characters of `text`, which may hold NULs; the reader's.
    static TJsonRef CreateString(const wchar_t* text, std::size_t size,
                                 TJsonSlabs* slabs = nullptr);
    // A new value of that type, made in a block of `slabs` when given, its table, array or
    // text too; the reader's.
    static TJsonObject* New(TJsonType type, TJsonSlabs* slabs);
    friend class TJsonReader;
    friend class TJsonSlabs; // makes and destroys values in its blocks

    volatile LONG FRefCount = 0; // changed only by Interlocked calls
    bool FProcessing = false;
    TJsonType FDataType;
    bool FInSlab : 1 = false;     // this value's block is in a slab
    bool FPartInSlab : 1 = false; // so is the block of its table, array or text
    // The user's data pointer is not nil. It is kept aside (see JsonDataPtr.cpp): few values
    // have one, and every value of a document would otherwise carry its room.
    bool FHasDataPtr : 1 = false;
    union {
        bool c_boolean;
        double c_double;
        Int64 c_int;
        TJsonTableString* c_object;
        TJsonArray* c_array;
        TJsonMethod c_method;
        wchar_t* c_string; // NewText's
    } FO{};
};

// The TJsonObject behind a value of this module, or nil. Every IJsonObject there is comes from
// this module.
inline TJsonObject* JsonImpl(IJsonObject* value) noexcept {
    return static_cast<TJsonObject*>(value);
}

// ---- Module routines ----------------------------------------------------------------------

TJsonRef JsonFromText(const UnicodeString& text);
bool ValueIsType(const TJsonRef& value, TJsonType type);
TJsonType ValueType(const TJsonRef& value);
bool FirstMember(const TJsonRef& value, TJsonObjectIter& f);
bool NextMember(TJsonObjectIter& f);
void CloseMembers(TJsonObjectIter& f);
// Live TJsonObject instances in the process.
Integer JsonLiveValueCount() noexcept;
