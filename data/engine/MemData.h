// The record-storage module of the data engine. Its parts, one header each:
//
//   MemDataFields.h       engine data types, field descriptors, the record layout
//   MemDataHeap.h         record blocks and the string heap
//   MemDataBlobs.h        shared objects, blobs and compressed blobs
//   MemDataObjectTypes.h  object types and attributes
//   MemDataStorage.h      the abstract record storage and its field value conversions
//   MemDataFilter.h       filter expressions
//   MemDataRecordList.h   the in-memory record list, its cached updates
//   MemDataSort.h         sort columns and comparison options of the record list
//
// MemDataModule() is the module's start-up: it restores the library-wide default piece size
// of blobs. It runs after the encodings and the memory utilities, whose compression hooks the
// compressed blobs use.
#pragma once

#include "data/engine/MemDataBlobs.h"
#include "data/engine/MemDataFields.h"
#include "data/engine/MemDataHeap.h"
#include "data/engine/MemDataObjectTypes.h"
#include "data/engine/MemDataRecordList.h"
#include "data/engine/MemDataStorage.h"

#include "framework/ModuleInit.h"

TModuleEntry MemDataModule();
