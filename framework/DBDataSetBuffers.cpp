// TDataSet's record buffers and navigation. The dataset keeps a window of BufferCount records
// around the cursor: FBuffers[0 .. FRecordCount-1] hold records in order, FActiveRecord is the
// current one, and FBuffers[FRecordCount] is always a free buffer that the next fetch fills
// (there is one more buffer than BufferCount for that). FCurrentRecord is the buffer whose record
// the descendant's cursor is on (-1: unknown, so the next move repositions it first). Fetching
// past the window's end rotates the oldest buffer to the free slot instead of copying records.
#include "framework/DB.h"

#include <algorithm>

TRecordBuffer TDataSet::ActiveBuffer() const {
    return FBuffers.empty() ? nullptr : FBuffers[std::size_t(FActiveRecord)];
}

void TDataSet::ClearBuffers() {
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers() {
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex) {
    if (CurIndex == NewIndex) return;
    auto first = FBuffers.begin();
    if (CurIndex < NewIndex)
        std::rotate(first + CurIndex, first + CurIndex + 1, first + NewIndex + 1);
    else
        std::rotate(first + NewIndex, first + CurIndex, first + CurIndex + 1);
}

void TDataSet::SetBufferCount(int Value) {
    if (Value == FBufferCount) return;
    if (Value > 0 && FRecordCount > Value) {
        // Keep the window of Value records that still shows the active one.
        const int start = std::min(FActiveRecord, FRecordCount - Value);
        std::rotate(FBuffers.begin(), FBuffers.begin() + start, FBuffers.begin() + FRecordCount);
        FActiveRecord -= start;
        FRecordCount = Value;
        CursorPosChanged();
    }
    const std::size_t wanted = Value > 0 ? std::size_t(Value) + 1 : 0;
    while (FBuffers.size() > wanted) {
        FreeRecordBuffer(FBuffers.back());
        FBuffers.pop_back();
    }
    while (FBuffers.size() < wanted) FBuffers.push_back(AllocRecordBuffer());
    FBufferCount = Value;
    if (Value == 0)
        ClearBuffers();
    else if (FState != dsInactive && IsCursorOpen())
        GetNextRecords();
}

void TDataSet::UpdateBufferCount() {
    if (!IsCursorOpen()) return;
    int count = 1;
    for (TDataSource* source : FDataSources)
        for (TDataLink* link : source->FDataLinks) count = std::max(count, link->BufferCount());
    SetBufferCount(count);
}

void TDataSet::SetCurrentRecord(int Index) {
    if (FCurrentRecord == Index) return;
    TRecordBuffer buffer = FBuffers[std::size_t(Index)];
    switch (GetBookmarkFlag(buffer)) {
    case bfCurrent:
    case bfInserted: InternalSetToRecord(buffer); break;
    case bfBOF: InternalFirst(); break;
    case bfEOF: InternalLast(); break;
    }
    FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos() {
    if (FRecordCount > 0) SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord() {
    if (FRecordCount > 0) SetCurrentRecord(FRecordCount - 1);
    const bool fetched = GetRecord(FBuffers[std::size_t(FRecordCount)], gmNext, true) == grOK;
    if (!fetched) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0)
        ActivateBuffers();
    else if (FRecordCount < FBufferCount)
        ++FRecordCount;
    else
        MoveBuffer(0, FRecordCount);
    FCurrentRecord = FRecordCount - 1;
    return true;
}

bool TDataSet::GetPriorRecord() {
    if (FRecordCount > 0) SetCurrentRecord(0);
    const bool fetched = GetRecord(FBuffers[std::size_t(FRecordCount)], gmPrior, true) == grOK;
    if (!fetched) {
        CursorPosChanged();
        return false;
    }
    if (FRecordCount == 0) {
        ActivateBuffers();
    } else {
        MoveBuffer(FRecordCount, 0);
        if (FRecordCount < FBufferCount) {
            ++FRecordCount;
            ++FActiveRecord;
        }
    }
    FCurrentRecord = 0;
    return true;
}

int TDataSet::GetNextRecords() {
    int count = 0;
    while (FRecordCount < FBufferCount && GetNextRecord()) ++count;
    return count;
}

int TDataSet::GetPriorRecords() {
    int count = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord()) ++count;
    return count;
}

void TDataSet::NotifyBeforeScroll() {
    if (FSearching == 0) DoBeforeScroll();
}

void TDataSet::NotifyAfterScroll() {
    if (FSearching == 0) DoAfterScroll();
}

void TDataSet::First() {
    CheckBrowseMode();
    NotifyBeforeScroll();
    ClearBuffers();
    try {
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    } catch (...) {
        FBOF = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FBOF = true;
    DataEvent(deDataSetChange, 0);
    NotifyAfterScroll();
}

void TDataSet::Last() {
    CheckBrowseMode();
    NotifyBeforeScroll();
    ClearBuffers();
    try {
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    } catch (...) {
        FEOF = true;
        DataEvent(deDataSetChange, 0);
        throw;
    }
    FEOF = true;
    DataEvent(deDataSetChange, 0);
    NotifyAfterScroll();
}

int TDataSet::MoveBy(int Distance) {
    CheckBrowseMode();
    int moved = 0;
    if (!((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF))) return 0;
    NotifyBeforeScroll();
    FBOF = false;
    FEOF = false;
    const int oldRecordCount = FRecordCount;
    int scrolled = 0;
    const auto finish = [&] {
        if (FRecordCount != oldRecordCount)
            DataEvent(deDataSetChange, 0);
        else
            DataEvent(deDataSetScroll, scrolled);
    };
    try {
        for (; Distance > 0; --Distance, ++moved) {
            if (FActiveRecord < FRecordCount - 1) {
                ++FActiveRecord;
                continue;
            }
            const int shift = FRecordCount < FBufferCount ? 0 : 1;
            if (!GetNextRecord()) {
                FEOF = true;
                break;
            }
            scrolled -= shift;
            if (FActiveRecord < FRecordCount - 1) ++FActiveRecord;
        }
        for (; Distance < 0; ++Distance, --moved) {
            if (FActiveRecord > 0) {
                --FActiveRecord;
                continue;
            }
            const int shift = FRecordCount < FBufferCount ? 0 : 1;
            if (!GetPriorRecord()) {
                FBOF = true;
                break;
            }
            scrolled += shift;
            if (FActiveRecord > 0) --FActiveRecord;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    NotifyAfterScroll();
    return moved;
}

void TDataSet::Resync(TResyncMode Mode) {
    TRecordBuffer spare = FBuffers[std::size_t(FRecordCount)];
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(spare, gmCurrent, true) != grOK) DatabaseError(L"Record not found", this);
    } else if (GetRecord(spare, gmCurrent, false) != grOK &&
               GetRecord(spare, gmNext, false) != grOK &&
               GetRecord(spare, gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    int before = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    try {
        while (before > 0 && GetPriorRecord()) --before;
        GetNextRecords();
        GetPriorRecords();
    } catch (...) {
        DataEvent(deDataSetChange, 0);
        throw;
    }
    DataEvent(deDataSetChange, 0);
}

void TDataSet::Refresh() {
    DoBeforeRefresh();
    CheckBrowseMode();
    UpdateCursorPos();
    InternalRefresh();
    Resync({});
    DoAfterRefresh();
}

void TDataSet::SetBlockReadSize(int Value) { FBlockReadSize = Value; }

// ---- bookmarks

bool TDataSet::BookmarkAvailable() const {
    return (FState == dsBrowse || FState == dsEdit) && FRecordCount > 0 &&
           const_cast<TDataSet*>(this)->GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark() {
    if (!BookmarkAvailable()) return {};
    TBookmark bookmark(static_cast<std::size_t>(FBookmarkSize));
    GetBookmarkData(ActiveBuffer(), bookmark.data());
    return bookmark;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark) {
    if (Bookmark.empty()) return;
    CheckBrowseMode();
    NotifyBeforeScroll();
    InternalGotoBookmark(Bookmark.data());
    Resync({rmExact, rmCenter});
    NotifyAfterScroll();
}

bool TDataSet::BookmarkValid(const TBookmark&) { return false; }

int TDataSet::CompareBookmarks(const TBookmark&, const TBookmark&) { return 0; }
