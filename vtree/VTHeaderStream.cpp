// The binary streams of the header, its column collection and one column. Every value is a
// little-endian 32-bit integer; texts are stored with their length in front (UTF-16 units for
// column captions and hints, UTF-8 bytes for the font name). Readers trust nothing they read:
// a count or length must fit the bytes that are left, an enumeration must be a known value
// (EReadError otherwise), the position array must be a permutation of the columns (the natural
// order replaces it otherwise), and widths, heights and percentages pass their setters' limits.
#include "vtree/VTBaseTree.h"

#include <algorithm>
#include <vector>

namespace {

constexpr Integer ColumnRecordMinimum = 14 * 4; // fields 1 to 14 with empty texts

class TWriter {
public:
    explicit TWriter(TStream* Stream) : FStream(Stream) {}
    TWriter& Int(Int64 Value) {
        const auto value = static_cast<Integer>(Value);
        FStream->WriteBuffer(&value, sizeof(value));
        return *this;
    }
    TWriter& Text(const UnicodeString& Value) {
        Int(static_cast<Int64>(Value.size()));
        FStream->WriteBuffer(Value.data(), static_cast<NativeInt>(2 * Value.size()));
        return *this;
    }

private:
    TStream* FStream;
};

class TReader {
public:
    explicit TReader(TStream* Stream) : FStream(Stream) {}
    Integer Int() {
        Integer value;
        FStream->ReadBuffer(&value, sizeof(value));
        return value;
    }
    // A count of items of at least ItemSize bytes each, which must all fit.
    Integer Count(Integer ItemSize) {
        const Integer count = Int();
        if (count < 0 || static_cast<Int64>(count) * ItemSize > Remaining())
            throw EReadError(L"The stream's count or length does not fit the data left.");
        return count;
    }
    template <class TEnum> TEnum Enum(TEnum Last) {
        const Integer value = Int();
        if (value < 0 || value > static_cast<Integer>(Last))
            throw EReadError(L"The stream holds an unknown enumeration value.");
        return static_cast<TEnum>(value);
    }
    UnicodeString Text16() {
        UnicodeString text(static_cast<std::size_t>(Count(2)), L'\0');
        if (!text.empty())
            FStream->ReadBuffer(text.data(), static_cast<NativeInt>(2 * text.size()));
        return text;
    }
    UnicodeString Utf8() {
        std::string bytes(static_cast<std::size_t>(Count(1)), '\0');
        if (!bytes.empty()) FStream->ReadBuffer(bytes.data(), static_cast<NativeInt>(bytes.size()));
        return Utf8ToUnicode(bytes);
    }
    Int64 Remaining() { return FStream->Size() - FStream->Position(); }

private:
    TStream* FStream;
};

// Older layouts of the column options: version 2 had eight bits; before it there was no
// coParentColor, so the bits from 4 on sit one place lower.
TVTColumnOptions UpgradeColumnOptions(Integer Bits, Integer Version) {
    auto bits = static_cast<std::uint32_t>(Bits);
    if (Version >= 3)
        bits &= 0xFFFF;
    else if (Version == 2)
        bits &= 0xFF;
    else
        bits = ((bits & 0xF) | ((bits & ~0xFu) << 1)) & 0xFF;
    return TVTColumnOptions::FromBits(bits);
}

bool IsPermutation(const TIndexArray& Positions) {
    std::vector<bool> seen(Positions.size(), false);
    for (TColumnIndex index : Positions) {
        if (index < 0 || static_cast<std::size_t>(index) >= Positions.size() || seen[index])
            return false;
        seen[index] = true;
    }
    return true;
}

TVTConstraintPercent Percent(Integer Value) {
    return static_cast<TVTConstraintPercent>(std::clamp<Integer>(Value, 0, 100));
}

} // namespace

// ---- one column ---------------------------------------------------------------------------------

void TVirtualTreeColumn::SaveToStream(TStream* Stream) {
    TWriter out(Stream);
    out.Text(FText).Text(Hint).Int(FWidth).Int(FMinWidth).Int(FMaxWidth).Int(FStyle);
    out.Int(FImageIndex).Int(FLayout).Int(FMargin).Int(FSpacing).Int(FBiDiMode);
    out.Int(FOptions.Bits()).Int(Tag).Int(FAlignment).Int(FColor);
    if (FOptions.Contains(coUseCaptionAlignment)) out.Int(FCaptionAlignment);
}

void TVirtualTreeColumn::LoadFromStream(TStream* Stream, Integer Version) {
    TReader in(Stream);
    SetText(in.Text16());
    Hint = in.Text16();
    const Integer width = in.Int(), minWidth = in.Int(), maxWidth = in.Int();
    // The limits first, so that the width is judged against the stored ones.
    SetMinWidth(minWidth);
    SetMaxWidth(maxWidth);
    SetMinWidth(minWidth);
    SetWidth(width);
    SetStyle(in.Enum(vsOwnerDraw));
    SetImageIndex(in.Int());
    SetLayout(in.Enum(blGlyphBottom));
    SetMargin(in.Int());
    SetSpacing(in.Int());
    SetBiDiMode(in.Enum(bdRightToLeftReadingOnly));
    SetOptions(UpgradeColumnOptions(in.Int(), Version));
    if (Version >= 1) {
        Tag = in.Int();
        SetAlignment(in.Enum(taCenter));
    }
    if (Version >= 2) SetColor(static_cast<TColor>(in.Int()));
    if (Version >= 6 && FOptions.Contains(coUseCaptionAlignment))
        SetCaptionAlignment(in.Enum(taCenter));
}

// ---- the collection
// -------------------------------------------------------------------------------

void TVirtualTreeColumns::SaveToStream(TStream* Stream) {
    TWriter out(Stream);
    out.Int(Count());
    for (int i = 0; i < Count(); ++i) Items(i)->SaveToStream(Stream);
    if (Count() > 0)
        for (TColumnIndex index : FPositionToIndex) out.Int(index);
    out.Int(DefaultWidth);
}

void TVirtualTreeColumns::LoadFromStream(TStream* Stream, Integer Version) {
    TReader in(Stream);
    Clear();
    const Integer count = in.Count(ColumnRecordMinimum);
    if (count > 0) {
        BeginUpdate();
        try {
            for (Integer i = 0; i < count; ++i) Add()->LoadFromStream(Stream, Version);
            TIndexArray positions(static_cast<std::size_t>(count));
            for (TColumnIndex& index : positions) index = in.Int();
            if (IsPermutation(positions))
                FPositionToIndex = positions;
            else
                ResetPositions(false);
            UpdateColumnLefts(true);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
    }
    if (Version >= 5) DefaultWidth = std::clamp<Integer>(in.Int(), 0, 10000);
}

// ---- the header -------------------------------------------------------------------------------

void TVTHeader::SaveToStream(TStream* Stream, TFont* Font) {
    TWriter out(Stream);
    out.Int(-1).Int(StreamVersion);
    FColumns->SaveToStream(Stream);
    out.Int(FAutoSizeIndex).Int(FBackground).Int(FHeight).Int(FOptions.Bits()).Int(FStyle);
    const std::string name = UnicodeToUtf8(Font->Name());
    out.Int(Font->Color()).Int(Font->Height()).Int(static_cast<Int64>(name.size()));
    Stream->WriteBuffer(name.data(), static_cast<NativeInt>(name.size()));
    out.Int(Font->Pitch()).Int(Font->Style().Bits());
    out.Int(FMainColumn).Int(FSortColumn).Int(FSortDirection);
    out.Int(0); // the header font follows nothing: it is the window's own
    out.Int(FMaxHeight).Int(FMinHeight).Int(FDefaultHeight);
    out.Int(FFixedAreaConstraints->MaxHeightPercent());
    out.Int(FFixedAreaConstraints->MaxWidthPercent());
    out.Int(FFixedAreaConstraints->MinHeightPercent());
    out.Int(FFixedAreaConstraints->MinWidthPercent());
}

void TVTHeader::LoadFromStream(TStream* Stream, TFont* Font) {
    const TVTHeaderOptions savedOptions = FOptions;
    FStates.Include(hsLoading);
    FOptions = {};
    try {
        ReadStream(Stream, Font, savedOptions);
    } catch (...) {
        if (FOptions.Empty()) FOptions = savedOptions;
        FStates.Exclude(hsLoading);
        FOwner->DoColumnResize(NoColumn);
        throw;
    }
    FStates.Exclude(hsLoading);
    FOwner->DoColumnResize(NoColumn);
}

void TVTHeader::ReadStream(TStream* Stream, TFont* Font, TVTHeaderOptions SavedOptions) {
    TReader in(Stream);
    Integer version = in.Int();
    if (version < 0) {
        version = in.Int();
        if (version < 0 || version > StreamVersion)
            throw EReadError(L"The header stream's version is unknown.");
    } else {
        Stream->Seek(-4, soCurrent);
        version = -1;
    }
    FColumns->LoadFromStream(Stream, version);
    SetAutoSizeIndex(in.Int());
    SetBackground(static_cast<TColor>(in.Int()));
    SetHeight(in.Int());
    const auto options = TVTHeaderOptions::FromBits(static_cast<std::uint32_t>(in.Int()) & 0xFFFF);
    FOptions = SavedOptions;
    SetOptions(options);
    SetStyle(in.Enum(hsXPStyle));
    Font->SetColor(static_cast<TColor>(in.Int()));
    Font->SetHeight(in.Int());
    Font->SetName(in.Utf8());
    Font->SetPitch(in.Enum(fpFixed));
    Font->SetStyle(TFontStyles::FromBits(static_cast<std::uint32_t>(in.Int()) & 0xF));
    if (version > 0) {
        SetMainColumn(in.Int());
        SetSortColumn(in.Int());
        SetSortDirection(in.Enum(sdDescending));
    }
    if (version > 4) {
        in.Int(); // the follow-the-tree flag of the header font: not kept
        SetMaxHeight(in.Int());
        SetMinHeight(in.Int());
        SetDefaultHeight(in.Int());
        FFixedAreaConstraints->SetMaxHeightPercent(Percent(in.Int()));
        FFixedAreaConstraints->SetMaxWidthPercent(Percent(in.Int()));
        FFixedAreaConstraints->SetMinHeightPercent(Percent(in.Int()));
        FFixedAreaConstraints->SetMinWidthPercent(Percent(in.Int()));
    }
}
