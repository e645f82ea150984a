// The string tree: texts through OnGetText, DefaultText, paths, the cached main-column width,
// empty cells and auto-spanning, the default incremental-search match and caption chunks.
#include "vtree/VirtualTrees.h"
#include "vtree/VTInternal.h"

using vtree_errors::Assert;

TCustomVirtualStringTree::TCustomVirtualStringTree(TComponent* AOwner)
    : TBaseVirtualTree(AOwner), FDefaultText(L"Node") {
    FInternalDataOffset = AllocateInternalData(4);
}

TCustomVirtualTreeOptions* TCustomVirtualStringTree::CreateOptions() {
    return Construct<TCustomStringTreeOptions>(this);
}

TCustomStringTreeOptions* TCustomVirtualStringTree::StringTreeOptions() const {
    return static_cast<TCustomStringTreeOptions*>(Options());
}

TCustomVirtualTreeOptions* TVirtualStringTree::CreateOptions() {
    return Construct<TStringTreeOptions>(this);
}

TStringTreeOptions* TVirtualStringTree::TreeOptions() const {
    return static_cast<TStringTreeOptions*>(Options());
}

void TVirtualStringTree::SetTreeOptions(TStringTreeOptions* Value) { Options()->Assign(Value); }

// ---- texts ------------------------------------------------------------------------------------

void TCustomVirtualStringTree::SetDefaultText(const UnicodeString& Value) {
    if (Value == FDefaultText) return;
    FDefaultText = Value;
    if (!Loading()) ViewSink().InvalidateControl();
}

void TCustomVirtualStringTree::DoGetText(PVirtualNode Node, TColumnIndex Column,
                                         TVSTTextType TextType, UnicodeString& CellText) {
    OnGetText(this, Node, Column, TextType, CellText);
}

void TCustomVirtualStringTree::DoNewText(PVirtualNode Node, TColumnIndex Column,
                                         const UnicodeString& NewText) {
    OnNewText(this, Node, Column, NewText);
    if (UpdateCount() == 0) ViewSink().UpdateHorizontalScrollBar(true);
}

UnicodeString TCustomVirtualStringTree::CellText(PVirtualNode Node, TColumnIndex Column) {
    Assert(Node != nullptr, vtree_messages::NodeNil);
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    UnicodeString text = FDefaultText;
    DoGetText(Node, Column, ttNormal, text);
    return text;
}

void TCustomVirtualStringTree::SetCellText(PVirtualNode Node, TColumnIndex Column,
                                           const UnicodeString& Value) {
    DoNewText(Node, Column, Value);
    InvalidateNode(Node);
}

UnicodeString TCustomVirtualStringTree::Path(PVirtualNode Node, TColumnIndex Column,
                                             TVSTTextType TextType, wchar_t Delimiter) {
    if (!Node || Node == RootNode()) return UnicodeString(1, Delimiter);
    UnicodeString result;
    for (PVirtualNode run = Node; run != RootNode(); run = run->Parent) {
        // Every node starts from an empty text: a handler that leaves it alone adds nothing.
        UnicodeString text;
        DoGetText(run, Column, TextType, text);
        result = text + Delimiter + result;
    }
    return result;
}

// ---- text widths --------------------------------------------------------------------------------

Integer* TCustomVirtualStringTree::TextWidthCache(PVirtualNode Node) const {
    if (!Node || Node == RootNode()) return nullptr;
    return reinterpret_cast<Integer*>(reinterpret_cast<Byte*>(Node) + FInternalDataOffset);
}

void TCustomVirtualStringTree::ForgetTextWidths() {
    for (PVirtualNode run = GetFirstNoInit(); run; run = GetNextNoInit(run))
        *TextWidthCache(run) = 0;
}

Integer TCustomVirtualStringTree::DoMeasureTextWidth(TCanvas* Canvas, PVirtualNode, TColumnIndex,
                                                     const UnicodeString& Text) {
    return MeasuringService().TextWidth(Canvas, Text);
}

Integer TCustomVirtualStringTree::MeasureCellTextWidth(TCanvas* Canvas, PVirtualNode Node,
                                                       TColumnIndex Column,
                                                       const UnicodeString& Text) {
    Integer width = 2 * TextMargin;
    if (!Text.empty()) width += DoMeasureTextWidth(Canvas, Node, Column, Text);
    return width;
}

Integer TCustomVirtualStringTree::GetNodeTextWidth(PVirtualNode Node, TColumnIndex Column) {
    TVirtualTreeColumns* columns = Header()->Columns();
    if (Column >= 0 && Node->States.Contains(vsMultiline) && columns->IsValidColumn(Column))
        return columns->Items(Column)->Width();
    TCanvas* canvas = MeasuringService().Canvas();
    const TColumnIndex main = Header()->MainColumn();
    if (Column != main) return MeasureCellTextWidth(canvas, Node, Column, CellText(Node, Column));
    Integer* cache = TextWidthCache(Node);
    if (!cache) return 0;
    if (*cache == 0) *cache = MeasureCellTextWidth(canvas, Node, main, CellText(Node, main));
    return *cache;
}

void TCustomVirtualStringTree::InvalidateNode(PVirtualNode Node) {
    TBaseVirtualTree::InvalidateNode(Node);
    if (Integer* cache = TextWidthCache(Node)) {
        *cache = 0;
        Node->States.Exclude(vsHeightMeasured);
    }
}

void TCustomVirtualStringTree::ReinitNode(PVirtualNode Node, bool Recursive) {
    TBaseVirtualTree::ReinitNode(Node, Recursive);
    if (Integer* cache = TextWidthCache(Node)) *cache = 0;
}

void TCustomVirtualStringTree::HandleMainColumnChange() {
    TBaseVirtualTree::HandleMainColumnChange();
    ForgetTextWidths();
}

// ---- cells --------------------------------------------------------------------------------------

bool TCustomVirtualStringTree::DoGetCellIsEmpty(PVirtualNode Node, TColumnIndex Column) {
    if (!CellText(Node, Column).empty()) return false;
    return TBaseVirtualTree::DoGetCellIsEmpty(Node, Column);
}

TColumnIndex TCustomVirtualStringTree::AdjustCellSpan(PVirtualNode Node, TColumnIndex Column,
                                                      TRect& CellRect) {
    TVirtualTreeColumns* columns = Header()->Columns();
    TColumnIndex next = columns->GetNextVisibleColumn(Column);
    const bool leftToRight =
        !columns->IsValidColumn(Column) || columns->Items(Column)->BiDiMode() == bdLeftToRight;
    if (!HasAuto(toAutoSpanColumns) || !Header()->UseColumns() || !leftToRight) return next;
    while (next != InvalidColumn && DoGetCellIsEmpty(Node, next) &&
           columns->Items(next)->BiDiMode() == bdLeftToRight) {
        CellRect.right += columns->Items(next)->Width();
        next = columns->GetNextVisibleColumn(next);
    }
    return next;
}

Integer TCustomVirtualStringTree::DoIncrementalSearch(PVirtualNode Node,
                                                      const UnicodeString& Text) {
    if (OnIncrementalSearch) return TBaseVirtualTree::DoIncrementalSearch(Node, Text);
    return CellText(Node, FocusedColumn()).starts_with(Text) ? 0 : 1;
}

// ---- caption chunks
// --------------------------------------------------------------------------------

void TCustomVirtualStringTree::WriteChunks(TStream* Stream, PVirtualNode Node) {
    TBaseVirtualTree::WriteChunks(Stream, Node);
    if (!StringTreeOptions()->StringOptions().Contains(toSaveCaptions)) return;
    if (!Node || Node == RootNode() || !Node->States.Contains(vsInitialized)) return;
    const UnicodeString text = CellText(Node, Header()->MainColumn());
    if (text.empty()) return;
    const Integer header[2] = {CaptionChunk, static_cast<Integer>(2 * text.size())};
    Stream->WriteBuffer(header, sizeof(header));
    Stream->WriteBuffer(text.data(), static_cast<NativeInt>(2 * text.size()));
}

// The size comes from a stream that may be hostile: it must fit the bytes that are left. An odd
// trailing byte is no character and is passed over.
bool TCustomVirtualStringTree::ReadChunk(TStream* Stream, Integer Version, PVirtualNode Node,
                                         Integer ChunkType, Integer ChunkSize) {
    if (ChunkType != CaptionChunk)
        return TBaseVirtualTree::ReadChunk(Stream, Version, Node, ChunkType, ChunkSize);
    const Int64 start = Stream->Position();
    if (ChunkSize < 0 || ChunkSize > Stream->Size() - start)
        throw EVirtualTreeError(L"Stream data corrupt. A caption is longer than its chunk.",
                                vtree_errors::DataAfterEnd);
    UnicodeString text(static_cast<std::size_t>(ChunkSize / 2), L'\0');
    if (!text.empty()) Stream->ReadBuffer(text.data(), static_cast<NativeInt>(2 * text.size()));
    Stream->SetPosition(start + ChunkSize);
    SetCellText(Node, Header()->MainColumn(), text);
    return true;
}
