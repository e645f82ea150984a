// The record storage's filter expressions: parsing a filter text into nodes (recursive descent
// over the filter lexer) and evaluating the tree against one record. A parse builds a fresh
// node chain and swaps it in only when the whole text was read, so a bad text never disturbs
// the filter in force.
#include "data/engine/MemDataStorage.h"

#include "data/engine/MemUtils.h"

#include "framework/Conversions.h"
#include "framework/Format.h"
#include "framework/FormatSettings.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {
[[noreturn]] void IllegalFilter() { throw Exception(L"Illegal filter expression"); }

bool IsDateType(Word DataType) {
    return DataType == dtDate || DataType == dtTime || DataType == dtDateTime;
}
bool IsFloatType(Word DataType) { return DataType == dtFloat || DataType == dtCurrency; }
const TFieldDesc* FieldOfNode(const TExpressionNode* Node) {
    return Node->NodeType == ntField ? Node->FieldDesc : nullptr;
}

// A plain number as a filter compares it: an integer or a double, or none for anything else.
struct TPlainNumber {
    enum { None, Integer64, Float } Kind = None;
    Int64 I = 0;
    double F = 0;
    double AsDouble() const { return Kind == Float ? F : double(I); }
};

template <class T> T LoadAt(const Byte* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// The value a number field of the engine's own types holds, read as GetFieldAsVariant reads it.
TPlainNumber FieldNumber(const TFieldDesc* Field, const Byte* p) {
    TPlainNumber n;
    n.Kind = TPlainNumber::Integer64;
    switch (Field->DataType()) {
    case dtInt8: n.I = LoadAt<std::int8_t>(p); break;
    case dtInt16: n.I = LoadAt<std::int16_t>(p); break;
    case dtInt32: n.I = LoadAt<Integer>(p); break;
    case dtUInt16: n.I = LoadAt<Word>(p); break;
    case dtUInt32: n.I = LoadAt<LongWord>(p); break;
    case dtInt64: n.I = LoadAt<Int64>(p); break;
    case dtFloat:
        n.Kind = TPlainNumber::Float;
        n.F = LoadAt<double>(p);
        break;
    default: n.Kind = TPlainNumber::None;
    }
    return n;
}

TPlainNumber ValueNumber(const Variant& Value) {
    TPlainNumber n;
    switch (Value.VType()) {
    case varSmallint:
    case varInteger:
    case varShortInt:
    case varByte:
    case varWord:
    case varLongWord:
    case varInt64:
        n.Kind = TPlainNumber::Integer64;
        n.I = Value.AsInt64();
        break;
    case varSingle:
    case varDouble:
        n.Kind = TPlainNumber::Float;
        n.F = Value.AsDouble();
        break;
    default: break;
    }
    return n;
}

Variant AsDateTime(const Variant& Value) {
    TDateTime when;
    if (TryStrToDateTime(Value.AsString(), when, FormatSettings())) return Variant::FromDate(when);
    return Variant::FromDate(Value.AsDate());
}
} // namespace

TExpressionNode* TData::AllocNode(TExpressionType NodeType, TExpressionNode* Left,
                                  TExpressionNode* Right) {
    auto* node = new TExpressionNode;
    node->NodeType = NodeType;
    node->LeftOperand = Left;
    node->RightOperand = Right;
    node->NextAlloc = FirstAlloc;
    FirstAlloc = node;
    return node;
}

void TData::FreeFilterExpression() {
    while (FirstAlloc) {
        TExpressionNode* next = FirstAlloc->NextAlloc;
        delete FirstAlloc;
        FirstAlloc = next;
    }
    FilterExpression = nullptr;
}

void TData::ParseFilter(const UnicodeString& Text) {
    TExpressionNode* const oldRoot = FilterExpression;
    TExpressionNode* const oldChain = FirstAlloc;
    FilterExpression = nullptr;
    FirstAlloc = nullptr;
    const UnicodeString text = Trim(Text);
    try {
        if (!text.empty()) {
            Parser = Construct<TBoolParser>(text);
            Parser->ToBegin();
            NextLexem();
            TExpressionNode* root = ParseExpression();
            if (Code != lcEnd) IllegalFilter();
            FilterExpression = root;
        }
    } catch (...) {
        if (Parser) Parser->Free();
        Parser = nullptr;
        FreeFilterExpression();
        FilterExpression = oldRoot;
        FirstAlloc = oldChain;
        throw;
    }
    if (Parser) Parser->Free();
    Parser = nullptr;
    TExpressionNode* const newRoot = FilterExpression;
    TExpressionNode* const newChain = FirstAlloc;
    FirstAlloc = oldChain;
    FreeFilterExpression();
    FilterExpression = newRoot;
    FirstAlloc = newChain;
}

TExpressionNode* TData::ParseExpression() {
    TExpressionNode* node = ParseTerm();
    while (Code == flOr) {
        NextLexem();
        TExpressionNode* right = ParseTerm();
        node = AllocNode(ntOr, node, right);
    }
    return node;
}

TExpressionNode* TData::ParseTerm() {
    TExpressionNode* node = ParseFactor();
    while (Code == flAnd) {
        NextLexem();
        TExpressionNode* right = ParseFactor();
        node = AllocNode(ntAnd, node, right);
    }
    return node;
}

TExpressionNode* TData::ParseFactor() {
    switch (Code) {
    case flOpen: {
        NextLexem();
        TExpressionNode* node = ParseExpression();
        if (Code != flClose) IllegalFilter();
        NextLexem();
        return node;
    }
    case flNot: {
        NextLexem();
        TExpressionNode* operand = ParseFactor();
        return AllocNode(ntNot, operand);
    }
    case flTrue: NextLexem(); return AllocNode(ntTrue);
    case flFalse: NextLexem(); return AllocNode(ntFalse);
    case flMinus:
    case flPlus:
    case flLeftBracket:
    case flRightBracket:
    case lcString:
    case lcNumber:
    case lcIdent: break;
    default: IllegalFilter();
    }
    TExpressionNode* left = ParseOperand();
    TExpressionType type;
    switch (Code) {
    case flEqual: type = ntEqual; break;
    case flMore: type = ntMore; break;
    case flLess: type = ntLess; break;
    case flMoreEqual: type = ntMoreEqual; break;
    case flLessEqual: type = ntLessEqual; break;
    case flNoEqual: type = ntNoEqual; break;
    case flLike: type = ntLike; break;
    case flNot:
        NextLexem();
        if (Code != flLike) IllegalFilter();
        type = ntNotLike;
        break;
    case flIs: {
        NextLexem();
        type = ntEqual;
        if (Code == flNot) {
            type = ntNoEqual;
            NextLexem();
        }
        if (Code != flNull) IllegalFilter();
        TExpressionNode* right = ParseOperand();
        return AllocNode(type, left, right);
    }
    default: IllegalFilter();
    }
    NextLexem();
    TExpressionNode* right = ParseOperand();
    return AllocNode(type, left, right);
}

TExpressionNode* TData::ParseOperand() {
    TExpressionNode* node = nullptr;
    switch (Code) {
    case flMinus:
    case flPlus: {
        const bool negative = Code == flMinus;
        NextLexem();
        if (Code != lcNumber) IllegalFilter();
        const double value = StrToFloat(StrLexem);
        node = AllocNode(ntValue);
        node->Value = Variant(negative ? -value : value);
        break;
    }
    case flLeftBracket: {
        UnicodeString name;
        const bool omitBlank = Parser->OmitBlank();
        Parser->SetOmitBlank(false);
        for (NextLexem(); Code != flRightBracket && Code != lcEnd; NextLexem()) name += StrLexem;
        Parser->SetOmitBlank(omitBlank);
        node = FieldNode(Trim(name));
        break;
    }
    case flFalse:
    case flTrue:
        node = AllocNode(ntValue);
        node->Value = Variant(Code == flTrue);
        break;
    case flNull:
        node = AllocNode(ntValue);
        node->Value = Variant::Null();
        break;
    case lcString:
        node = AllocNode(ntValue);
        node->Value = Variant(StringReplace(StrLexem, L"''", L"'", TReplaceFlags{rfReplaceAll}));
        break;
    case lcNumber: {
        node = AllocNode(ntValue);
        Int64 whole;
        if (TryStrToInt64(StrLexem, whole))
            node->Value = Variant(whole);
        else
            node->Value = Variant(StrToFloat(StrLexem));
        break;
    }
    case lcIdent: {
        UnicodeString name = StrLexem;
        NextLexem();
        while (Code == lcSymbol && StrLexem == L".") {
            NextLexem();
            if (Code != lcIdent) IllegalFilter();
            name += L"." + StrLexem;
            NextLexem();
        }
        return FieldNode(name);
    }
    default: IllegalFilter();
    }
    NextLexem();
    return node;
}

TExpressionNode* TData::FieldNode(const UnicodeString& Name) {
    TFieldDesc* field = FindField(Name);
    if (!field) throw Exception(Format(L"Field %s not found", {Name}));
    TExpressionNode* node = AllocNode(ntField);
    node->FieldDesc = field;
    node->Value = Variant(Name);
    return node;
}

// --- evaluation ---

bool TData::EvalFilter(void* RecBuf) {
    if (!FilterExpression) return true;
    FilterRecBuf = RecBuf;
    return Eval(FilterExpression);
}

Variant TData::OperandValue(TExpressionNode* Node) {
    if (Node->NodeType != ntField) return Node->Value;
    Variant value;
    GetFieldAsVariant(Node->FieldDesc->FieldNo(), FilterRecBuf, value);
    return value;
}

bool TData::ComparePlainNumbers(TExpressionNode* Node, bool& Result) {
    auto number = [this](const TExpressionNode* Operand) {
        if (Operand->NodeType != ntField) return ValueNumber(Operand->Value);
        const TFieldDesc* field = Operand->FieldDesc;
        if (field->HasParent() || GetNull(field->FieldNo(), FilterRecBuf)) return TPlainNumber();
        return FieldNumber(field, static_cast<const Byte*>(FilterRecBuf) + field->Offset());
    };
    if (Node->NodeType > ntNoEqual) return false;
    const TPlainNumber a = number(Node->LeftOperand);
    if (a.Kind == TPlainNumber::None) return false;
    const TPlainNumber b = number(Node->RightOperand);
    if (b.Kind == TPlainNumber::None) return false;
    // Variant comparison rules: exact between integers, as doubles once a float takes part,
    // where NaN is neither below, above nor equal to anything.
    TVariantRelationship order;
    if (a.Kind == TPlainNumber::Float || b.Kind == TPlainNumber::Float) {
        const double x = a.AsDouble(), y = b.AsDouble();
        order = std::isnan(x) || std::isnan(y) ? vrNotEqual
                : x < y                        ? vrLessThan
                : y < x                        ? vrGreaterThan
                                               : vrEqual;
        const bool floatField = (Node->LeftOperand->NodeType == ntField &&
                                 Node->LeftOperand->FieldDesc->DataType() == dtFloat) ||
                                (Node->RightOperand->NodeType == ntField &&
                                 Node->RightOperand->FieldDesc->DataType() == dtFloat);
        if (Node->NodeType == ntEqual && floatField && FilterFloatTolerance > 0) {
            Result = std::fabs(x - y) < FilterFloatTolerance;
            return true;
        }
    } else {
        order = a.I < b.I ? vrLessThan : b.I < a.I ? vrGreaterThan : vrEqual;
    }
    switch (Node->NodeType) {
    case ntEqual: Result = order == vrEqual; break;
    case ntNoEqual: Result = order != vrEqual; break;
    case ntMore: Result = order == vrGreaterThan; break;
    case ntLess: Result = order == vrLessThan; break;
    case ntMoreEqual: Result = order == vrGreaterThan || order == vrEqual; break;
    default: Result = order == vrLessThan || order == vrEqual; break;
    }
    return true;
}

bool TData::Compare(TExpressionNode* Node) {
    if (!Node->LeftOperand || !Node->RightOperand)
        throw EAssertionFailed(L"A comparison needs two operands");
    bool result;
    if (ComparePlainNumbers(Node, result)) return result;
    Variant left = OperandValue(Node->LeftOperand);
    Variant right = OperandValue(Node->RightOperand);
    const TFieldDesc* leftField = FieldOfNode(Node->LeftOperand);
    const TFieldDesc* rightField = FieldOfNode(Node->RightOperand);
    if (leftField && IsDateType(leftField->DataType()) && VarIsStr(right))
        right = AsDateTime(right);
    if (rightField && IsDateType(rightField->DataType()) && VarIsStr(left)) left = AsDateTime(left);
    if (FilterCaseInsensitive) {
        if (VarIsStr(left)) left = Variant(LocaleUpperCase(left.AsString()));
        if (VarIsStr(right)) right = Variant(LocaleUpperCase(right.AsString()));
    }
    const bool anyNull = VarIsNull(left) || VarIsNull(right);
    // A Null pattern would match the empty text: comparing with Null stays an equality.
    const bool partial = !FilterNoPartialCompare && VarIsStr(left) && !VarIsNull(right);
    auto equal = [&] {
        const bool floatField = (leftField && IsFloatType(leftField->DataType())) ||
                                (rightField && IsFloatType(rightField->DataType()));
        if (floatField && FilterFloatTolerance > 0 && VarIsNumeric(left) && VarIsNumeric(right))
            return std::fabs(left.AsDouble() - right.AsDouble()) < FilterFloatTolerance;
        return left == right;
    };
    switch (Node->NodeType) {
    case ntEqual:
    case ntLike: return partial ? MatchesPattern(left.AsString(), VarToStr(right)) : equal();
    case ntNoEqual:
    case ntNotLike:
        return partial ? !MatchesPattern(left.AsString(), VarToStr(right)) : !(left == right);
    default: break;
    }
    if (anyNull) return false;
    const TVariantRelationship order = VarCompareValue(left, right);
    switch (Node->NodeType) {
    case ntMore: return order == vrGreaterThan;
    case ntLess: return order == vrLessThan;
    case ntMoreEqual: return order == vrGreaterThan || order == vrEqual;
    default: return order == vrLessThan || order == vrEqual;
    }
}

bool TData::Eval(TExpressionNode* Node) {
    switch (Node->NodeType) {
    case ntEqual:
    case ntMore:
    case ntLess:
    case ntMoreEqual:
    case ntLessEqual:
    case ntNoEqual:
    case ntLike:
    case ntNotLike: return Compare(Node);
    case ntAnd: return Eval(Node->LeftOperand) && Eval(Node->RightOperand);
    case ntOr: return Eval(Node->LeftOperand) || Eval(Node->RightOperand);
    case ntNot: return !Eval(Node->LeftOperand);
    case ntTrue: return true;
    case ntFalse: return false;
    default: throw EAssertionFailed(L"Not a filter expression");
    }
}
