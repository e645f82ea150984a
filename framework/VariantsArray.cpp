// Variant arrays of one dimension. A byte array keeps raw bytes (VarArrayLock hands them out
// contiguous, as blob and binary code needs); any other array keeps each element as a variant
// of the element kind. Copies share the store until one of them changes it.
#include "framework/VariantAccess.h"

namespace {

bool CanHold(TVarType type) {
    return type == varVariant || IsIntegerKind(type) || IsTextKind(type) || type == varSingle ||
           type == varDouble || type == varCurrency || type == varDate || type == varBoolean ||
           type == varFMTBcd || type == varSQLTimeStamp;
}

Variant DefaultElement(TVarType type) {
    if (type == varVariant) return Variant();
    if (type == varSQLTimeStamp) return Variant(TSQLTimeStamp{});
    return VarAsType(Variant(), type);
}

const TVarArrayData& CheckedArray(const Variant& v) {
    if (!VarIsArray(v)) VarInvalidOp();
    return VariantAccess::Array(v);
}

std::size_t Slot(const TVarArrayData& data, int index) {
    const std::size_t count = data.ElementType == varByte ? data.Bytes.size() : data.Items.size();
    const Int64 slot = Int64(index) - data.LowBound;
    if (slot < 0 || UInt64(slot) >= count)
        throw EVariantBadIndexError(L"Variant or safe array index out of bounds");
    return std::size_t(slot);
}

void CheckDimension(const Variant& v, int dim) {
    CheckedArray(v);
    if (dim != 1) throw EVariantBadIndexError(L"Variant or safe array index out of bounds");
}

} // namespace

const TVarArrayData& VariantAccess::Array(const Variant& v) {
    return *std::get<std::shared_ptr<TVarArrayData>>(v.FValue);
}

TVarArrayData& VariantAccess::UniqueArray(Variant& v) {
    auto& store = std::get<std::shared_ptr<TVarArrayData>>(v.FValue);
    if (store.use_count() > 1) store = std::make_shared<TVarArrayData>(*store);
    return *store;
}

Variant VarArrayCreate(int lowBound, int highBound, TVarType elementType) {
    if (!CanHold(elementType) || Int64(highBound) < Int64(lowBound) - 1)
        throw EVariantError(L"Invalid variant array bounds or element type");
    auto data = std::make_shared<TVarArrayData>();
    data->ElementType = elementType;
    data->LowBound = lowBound;
    const std::size_t count = std::size_t(Int64(highBound) - lowBound + 1);
    if (elementType == varByte)
        data->Bytes.assign(count, 0);
    else
        data->Items.assign(count, DefaultElement(elementType));
    return VariantAccess::Make(varArray | elementType, std::move(data));
}

Variant VarArrayOf(std::initializer_list<Variant> values) {
    Variant array = VarArrayCreate(0, int(values.size()) - 1, varVariant);
    VariantAccess::UniqueArray(array).Items.assign(values.begin(), values.end());
    return array;
}

int VarArrayDimCount(const Variant& value) noexcept { return VarIsArray(value) ? 1 : 0; }

int VarArrayLowBound(const Variant& value, int dim) {
    CheckDimension(value, dim);
    return VariantAccess::Array(value).LowBound;
}

int VarArrayHighBound(const Variant& value, int dim) {
    CheckDimension(value, dim);
    const TVarArrayData& data = VariantAccess::Array(value);
    const std::size_t count = data.ElementType == varByte ? data.Bytes.size() : data.Items.size();
    return int(data.LowBound + Int64(count) - 1);
}

Variant VarArrayGet(const Variant& array, int index) {
    const TVarArrayData& data = CheckedArray(array);
    const std::size_t slot = Slot(data, index);
    return data.ElementType == varByte ? Variant(data.Bytes[slot]) : data.Items[slot];
}

void VarArrayPut(Variant& array, const Variant& value, int index) {
    CheckedArray(array);
    TVarArrayData& data = VariantAccess::UniqueArray(array);
    const std::size_t slot = Slot(data, index);
    if (data.ElementType == varByte)
        data.Bytes[slot] = Byte(VariantAccess::Get<Int64>(VarAsType(value, varByte)));
    else
        data.Items[slot] = VarAsType(value, data.ElementType);
}

void* VarArrayLock(Variant& array) {
    CheckedArray(array);
    TVarArrayData& data = VariantAccess::UniqueArray(array);
    ++data.LockCount;
    return data.ElementType == varByte ? static_cast<void*>(data.Bytes.data())
                                       : static_cast<void*>(data.Items.data());
}

void VarArrayUnlock(Variant& array) {
    CheckedArray(array);
    TVarArrayData& data = VariantAccess::UniqueArray(array);
    if (data.LockCount == 0) throw EVariantError(L"Variant array is not locked");
    --data.LockCount;
}

void VarArrayRedim(Variant& array, int highBound) {
    CheckedArray(array);
    TVarArrayData& data = VariantAccess::UniqueArray(array);
    if (data.LockCount > 0) throw EVariantError(L"Variant array is locked");
    if (Int64(highBound) < Int64(data.LowBound) - 1)
        throw EVariantError(L"Invalid variant array bounds or element type");
    const std::size_t count = std::size_t(Int64(highBound) - data.LowBound + 1);
    if (data.ElementType == varByte)
        data.Bytes.resize(count, 0);
    else
        data.Items.resize(count, DefaultElement(data.ElementType));
}
