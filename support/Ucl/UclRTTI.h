// Type records created at run time, reference counted in one thread-safe list. A set type
// holds its element type and an enumeration may be based on another type: releasing a record
// for the last time releases those first. Nothing in this program creates such records; the
// unit's shut-down releases whatever is left.
#pragma once

#include "framework/ModuleInit.h"
#include "framework/System.h"

enum TUclTypeKind { tkEnumeration, tkSet, tkOther };

struct TUclTypeRecord {
    UnicodeString Name;
    TUclTypeKind Kind = tkOther;
    TUclTypeRecord* ElementType = nullptr; // sets
    TUclTypeRecord* BaseType = nullptr;    // enumerations based on another type
};

// Adds a reference to `type` (which the list then owns), creating its entry on first use.
void AddTypeRecord(TUclTypeRecord* type);
// Drops a reference; the last one frees the record (after its element or base type).
void ReleaseTypeRecord(TUclTypeRecord* type);
int TypeRecordCount();
// Releases every entry, newest first, until the list is empty.
void ReleaseAllTypeRecords();

TModuleEntry UclRTTIModule();
