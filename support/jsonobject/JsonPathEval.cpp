// The reader in path mode: with a context value, names are read without escapes and every
// delimiter after a name takes one step from the container reached so far: into a member, an
// element (an index in brackets is any value, itself read in path mode), or a method call.
// Puts and removals act only outside brackets and argument lists (parameter depth 0).
//
// Paths are input like any text: a path passes through at most MaxDepth names (more fails with
// teDepth), so that no single path nests values deeper than the reader would, and a write
// reaches at most MaxPathGrowth slots past an array's end (more fails with teEvalInt).
//
//   name  .  [  (  or any other delimiter     tsIdentifier -> step by the container's type
//   object:  `.` tsEvalProperty, `[` tsEvalArray, `(` tsEvalMethod, else end of the path
//   [ value ]                                 tsParamValue -> next level -> tsParamPut
//   ( value, value )                          tsMethodValue -> next level -> tsMethodPut
#include "support/jsonobject/JsonReader.h"

TJsonReader::TStep TJsonReader::PathName(wchar_t c) {
    if (c >= 128 || !IsJsonDelimiter(c)) return Append(c) ? Consume : Fail(teParseUnexpected);
    if (++T.path_steps > TJsonTokenizer::MaxDepth) return Fail(teDepth);
    TJsonTokenerSrec& level = L();
    const UnicodeString name = T.pb.Text();
    level.gparent = level.parent;
    level.parent = level.current ? level.current : FThat;
    switch (level.parent->GetDataType()) {
    case stObject: return StepObject(c, name);
    case stArray: return level.obj ? StepIndexedArray(c) : StepArray(c, name);
    case stMethod: return StepMethod(c);
    default: return Consume;
    }
}

TJsonReader::TStep TJsonReader::StepObject(wchar_t c, const UnicodeString& name) {
    TJsonTokenerSrec& level = L();
    TJsonTableString& table = *level.parent->AsObject();
    if (!name.empty()) level.current = table.Lookup(name);
    if (c == L'(') return To(tsEvalMethod, Consume);
    if (c == L'.') return To(tsEvalProperty, Consume);
    if (c == L'[') return To(tsEvalArray, Consume);
    if (AtTop() && FOptions.Contains(foPutValue)) {
        table.Store(name, FPut);
    } else if (AtTop() && FOptions.Contains(foDelete)) {
        level.current = table.Delete(name);
        return To(tsFinish, Redo);
    } else if (AtTop() && FOptions.Contains(foCreatePath) && !level.current) {
        table.Store(name, TJsonObject::Create(FType));
    }
    level.current = table.Lookup(name);
    return To(tsFinish, Redo);
}

// After `[index]`: the index must be a non-negative integer.
TJsonReader::TStep TJsonReader::StepIndexedArray(wchar_t c) {
    TJsonTokenerSrec& level = L();
    const TJsonRef index = std::exchange(level.obj, nullptr);
    if (!index->IsType(stInt) || index->AsInteger() < 0 ||
        index->AsInteger() >= TJsonArray::MaxLength)
        return Fail(teEvalInt);
    const auto i = static_cast<Integer>(index->AsInteger());
    TJsonArray& array = *level.parent->AsArray();
    const bool withinReach = i - array.Length() < TJsonArray::MaxPathGrowth;
    level.current = array.GetElement(i);
    const bool create = FOptions.Contains(foCreatePath);
    T.pb.Reset();
    switch (c) {
    case L'(': return To(tsEvalMethod, Consume);
    case L'.':
        if (level.current) return Consume;
        if (!create) return Fail(teEvalObject);
        if (!withinReach) return Fail(teEvalInt);
        level.current = TJsonObject::Create(stObject);
        array.PutElement(i, level.current);
        return Consume;
    case L'[':
        if (!level.current && !create) return Fail(teEvalArray);
        if (!level.current) {
            level.current = TJsonObject::Create(stArray);
            array.Add(level.current);
        }
        return To(tsEvalArray, Consume);
    default: break;
    }
    if (AtTop() && FOptions.Contains(foPutValue)) {
        if (!withinReach) return Fail(teEvalInt);
        array.PutElement(i, FPut);
        level.current = FPut;
    } else if (AtTop() && FOptions.Contains(foDelete)) {
        level.current = array.Delete(i);
    }
    return To(tsFinish, Redo);
}

// After `[]`: puts append, reads take the last element.
TJsonReader::TStep TJsonReader::StepArray(wchar_t c, const UnicodeString& name) {
    TJsonTokenerSrec& level = L();
    TJsonArray& array = *level.parent->AsArray();
    const bool put = FOptions.Contains(foPutValue);
    const TJsonRef last = array.GetElement(array.Length() - 1);
    T.pb.Reset();
    if (c == L'(' || c == L'.' || c == L'[') {
        if (!put) {
            level.current = last;
        } else if (c == L'(') {
            level.current = nullptr;
        } else {
            level.current = TJsonObject::Create(c == L'.' ? stObject : stArray);
            array.Add(level.current);
        }
        if (c == L'(') return To(tsEvalMethod, Consume);
        return c == L'[' ? To(tsEvalArray, Consume) : Consume;
    }
    if (AtTop() && put) {
        array.Add(FPut);
        level.current = FPut;
    } else if (name.empty()) {
        level.current = last;
    }
    return To(tsFinish, Redo);
}

void TJsonReader::CallMethod(const TJsonRef& method, const TJsonRef& self, const TJsonRef& params,
                             TJsonRef& result) {
    if (TJsonMethod routine = method ? method->AsMethod() : nullptr) routine(self, params, result);
}

// A delimiter after a method's argument list calls it; the result is where the path goes on.
TJsonReader::TStep TJsonReader::StepMethod(wchar_t c) {
    TJsonTokenerSrec& level = L();
    const bool goesOn = c == L'(' || c == L'.' || c == L'[';
    if (!goesOn && AtTop() && FOptions.Contains(foPutValue)) return Fail(teEvalMethod);
    const TJsonRef method = level.parent;
    const TJsonRef params = std::exchange(level.obj, nullptr);
    level.current = nullptr;
    CallMethod(method, level.gparent, params, level.current);
    T.pb.Reset();
    if (c == L'(') return To(tsEvalMethod, Consume);
    if (c == L'[') return To(tsEvalArray, Consume);
    if (c == L'.') return Consume;
    return To(tsFinish, Redo);
}

// Entering the member or element just named: it must be of `type`, or is created with
// foCreatePath when missing (only an object can take a new member).
TJsonReader::TStep TJsonReader::EvalContainer(TJsonType type) {
    TJsonTokenerSrec& level = L();
    const TJsonTokenizerError error = type == stObject ? teEvalObject : teEvalArray;
    if (!level.current && FOptions.Contains(foCreatePath)) {
        if (!level.parent || !level.parent->IsType(stObject)) return Fail(error);
        level.current = TJsonObject::Create(type);
        level.parent->AsObject()->Store(T.pb.Text(), level.current);
    } else if (!level.current || !level.current->IsType(type)) {
        return Fail(error);
    }
    T.pb.Reset();
    return To(type == stObject ? tsIdentifier : tsParamValue, Redo);
}

TJsonReader::TStep TJsonReader::ParamValue(wchar_t c) {
    if (c == L']') return To(tsIdentifier, Consume);
    ++T.param_depth;
    L().state = tsParamPut;
    return OpenLevel();
}

// A missing value in brackets is kept as null, so that it fails as an index instead of
// reading as the empty index `[]` (which appends when putting).
TJsonReader::TStep TJsonReader::ParamPut(wchar_t c) {
    --T.param_depth;
    L().obj = std::exchange(T.finished, nullptr);
    if (!L().obj) L().obj = TJsonObject::Create(stNull);
    T.pb.Reset();
    Eat(tsIdentifier, Consume);
    return c == L']' ? Consume : Fail(teEvalArray);
}

TJsonReader::TStep TJsonReader::EvalMethod() {
    TJsonTokenerSrec& level = L();
    if (!level.current || !level.current->AsMethod()) return Fail(teEvalMethod);
    T.pb.Reset();
    level.obj = TJsonObject::Create(stArray);
    return To(tsMethodValue, Redo);
}

TJsonReader::TStep TJsonReader::MethodValue(wchar_t c) {
    if (c == L')') return To(tsIdentifier, Consume);
    ++T.param_depth;
    L().state = tsMethodPut;
    return OpenLevel();
}

// One argument read; a single argument is passed as itself, several as the array.
TJsonReader::TStep TJsonReader::MethodPut(wchar_t c) {
    TJsonTokenerSrec& level = L();
    TJsonArray& args = *level.obj->AsArray();
    args.Add(std::exchange(T.finished, nullptr));
    --T.param_depth;
    T.pb.Reset();
    if (c == L',') return Eat(tsMethodValue, Consume);
    if (c != L')') return Fail(teEvalMethod);
    if (args.Length() == 1) level.obj = args.GetElement(0);
    return Eat(tsIdentifier, Consume);
}
