// Structured column types of servers with objects, references, arrays and nested tables:
//
//   TAttribute   one attribute of a type: its data type and, when structured, its own type
//   TObjectType  a named, reference-counted list of attributes; attribute paths such as
//                "addr.city" and "items[3].price" are looked up through it
//
// A type that contains itself (an attribute whose type has the owner's name) holds no
// reference to itself, so that freeing the last outside reference destroys it.
#pragma once

#include "data/engine/MemDataBlobs.h"

#include <vector>

class TObjectType;

class TAttribute : public TObject {
    CLASS_INFO(TAttribute, TObject)
public:
    TAttribute() = default;
    ~TAttribute() override;

    const UnicodeString& Name() const { return FName; }
    void SetName(const UnicodeString& Value) { FName = Value; }
    Word DataType() const { return FDataType; }
    void SetDataType(Word Value) { FDataType = Value; }
    Word SubDataType() const { return FSubDataType; }
    void SetSubDataType(Word Value) { FSubDataType = Value; }
    Word Length() const { return FLength; }
    void SetLength(Word Value) { FLength = Value; }
    Word Scale() const { return FScale; }
    void SetScale(Word Value) { FScale = Value; }
    Word Size() const { return FSize; }
    void SetSize(Word Value) { FSize = Value; }
    Word DataSize() const { return FDataSize; }
    void SetDataSize(Word Value) { FDataSize = Value; }
    Word Offset() const { return FOffset; }
    void SetOffset(Word Value) { FOffset = Value; }
    Word IndicatorOffset() const { return FIndicatorOffset; }
    void SetIndicatorOffset(Word Value) { FIndicatorOffset = Value; }
    Word AttributeNo() const { return FAttributeNo; }
    void SetAttributeNo(Word Value) { FAttributeNo = Value; }
    TObjectType* ObjectType() const { return FObjectType; }
    void SetObjectType(TObjectType* Value);
    TObjectType* Owner() const { return FOwner; }
    void SetOwner(TObjectType* Value) { FOwner = Value; }
    bool Fixed() const { return FFixed; }
    void SetFixed(bool Value) { FFixed = Value; }

private:
    // Whether this attribute holds a reference to its type (not when the type is its owner).
    bool HoldsReference(const TObjectType* type) const;

    UnicodeString FName;
    Word FDataType = 0;
    Word FSubDataType = 0;
    Word FLength = 0, FScale = 0, FSize = 0, FDataSize = 0, FOffset = 0, FIndicatorOffset = 0,
         FAttributeNo = 0;
    TObjectType* FObjectType = nullptr;
    TObjectType* FOwner = nullptr;
    bool FFixed = false;
};

class TObjectType : public TSharedObject {
    CLASS_INFO(TObjectType, TSharedObject)
public:
    TObjectType() = default;
    TObjectType(const UnicodeString& Name, Word DataType, Integer Size = 0)
        : FName(Name), FDataType(DataType), FSize(Size) {}
    ~TObjectType() override;

    const UnicodeString& Name() const { return FName; }
    Word DataType() const { return FDataType; }
    Integer Size() const { return FSize; }
    Integer AttributeCount() const { return Integer(FAttributes.size()); }
    TAttribute* AttributeAt(Integer Index) const { return FAttributes[Index]; }
    // Takes ownership; the attribute's owner becomes this type and its number its position.
    TAttribute* AddAttribute(TAttribute* Attribute);

    // Upper-cased path look-up: "A.B", "A[i]", "A[i].B"; nil when a part is missing or a dotted
    // part is not structured.
    TAttribute* FindAttribute(const UnicodeString& Name) const;
    // Exception "Attribute %s not found".
    TAttribute* AttributeByName(const UnicodeString& Name) const;

private:
    UnicodeString FName;
    Word FDataType = 0;
    Integer FSize = 0;
    std::vector<TAttribute*> FAttributes; // owned
};

// The name of the element attribute of an array type.
inline constexpr wchar_t ArrayElementAttribute[] = L"ELEMENT";
// The largest number of array elements that get child field definitions.
extern Integer MaxArrayItemFields;
