// The enumerations and small records of the dataset layer (framework/DB.h), and its error:
// `EDatabaseError`, raised by `DatabaseError(Msg, Component)`, which writes the component's
// name and ": " in front of the message when the component has a name. The ordinals are fixed:
// record buffers and stored data keep them.
#pragma once

#include "framework/Exceptions.h"
#include "framework/Sets.h"
#include "framework/System.h"

#include <initializer_list>

class TComponent;

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

[[noreturn]] void DatabaseError(const UnicodeString& Message, TComponent* Component = nullptr);

enum TDataSetState {
    dsInactive,
    dsBrowse,
    dsEdit,
    dsInsert,
    dsSetKey,
    dsCalcFields,
    dsFilter,
    dsNewValue,
    dsOldValue,
    dsCurValue,
    dsBlockRead,
    dsInternalCalc,
    dsOpening
};

enum TDataEvent {
    deFieldChange,
    deRecordChange,
    deDataSetChange,
    deDataSetScroll,
    deLayoutChange,
    deUpdateRecord,
    deUpdateState,
    deCheckBrowseMode,
    dePropertyChange,
    deFieldListChange,
    deFocusControl,
    deParentScroll,
    deConnectChange,
    deReconcileError,
    deDisabledStateChange
};

enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;
enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TUpdateAction { uaFail, uaAbort, uaSkip, uaRetry, uaApplied };
enum TUpdateRecordType { rtModified, rtInserted, rtDeleted, rtUnmodified };
using TUpdateRecordTypes = TSet<TUpdateRecordType>;
enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TSet<TFilterOption>;
enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TSet<TFieldAttribute>;
enum TProviderFlag {
    pfInUpdate,
    pfInWhere,
    pfInKey,
    pfHidden,
    pfRefreshOnInsert,
    pfRefreshOnUpdate
};
using TProviderFlags = TSet<TProviderFlag>;
enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };
enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
enum TIndexOption {
    ixPrimary,
    ixUnique,
    ixDescending,
    ixCaseInsensitive,
    ixExpression,
    ixNonMaintained
};
using TIndexOptions = TSet<TIndexOption>;

// Field types: ordinals 0..51.
enum TFieldType {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftParadoxOle,
    ftDBaseOle,
    ftTypedBinary,
    ftCursor,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftADT,
    ftArray,
    ftReference,
    ftDataSet,
    ftOraBlob,
    ftOraClob,
    ftVariant,
    ftInterface,
    ftIDispatch,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftFixedWideChar,
    ftWideMemo,
    ftOraTimeStamp,
    ftOraInterval,
    ftLongWord,
    ftShortint,
    ftByte,
    ftExtended,
    ftConnection,
    ftParams,
    ftStream,
    ftTimeStampOffset,
    ftObject,
    ftSingle
};
inline constexpr int FieldTypeCount = ftSingle + 1;
static_assert(FieldTypeCount == 52);

// The type's name without the "ft" prefix ("String", "Integer", "DateTime").
const wchar_t* FieldTypeName(TFieldType type);
