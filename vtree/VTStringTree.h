// The string tree's model: every cell has a text the tree never stores but asks for through
// OnGetText (starting from DefaultText), new texts reported through OnNewText, node paths, the
// per-node cache of the main column's text width (a 4-byte internal data area measured through
// the measuring service), empty cells and auto-spanning, the default incremental-search match,
// and the caption chunk of saved tree streams.
//
// Classes here: TCustomVirtualStringTree, TVirtualStringTree.
#pragma once

#include "framework/Streams.h"
#include "vtree/VTBaseTree.h"

class TCustomVirtualStringTree;

using TVSTGetTextEvent =
    TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                      TVSTTextType TextType, UnicodeString& CellText)>;
using TVSTNewTextEvent = TMethodEvent<void(TBaseVirtualTree* Sender, PVirtualNode Node,
                                           TColumnIndex Column, const UnicodeString& NewText)>;

class TCustomVirtualStringTree : public TBaseVirtualTree {
    CLASS_INFO(TCustomVirtualStringTree, TBaseVirtualTree)
public:
    explicit TCustomVirtualStringTree(TComponent* AOwner);

    const UnicodeString& DefaultText() const noexcept { return FDefaultText; }
    void SetDefaultText(const UnicodeString& Value);
    UnicodeString CellText(PVirtualNode Node, TColumnIndex Column);
    void SetCellText(PVirtualNode Node, TColumnIndex Column, const UnicodeString& Value);
    UnicodeString Path(PVirtualNode Node, TColumnIndex Column, TVSTTextType TextType,
                       wchar_t Delimiter);
    TCustomStringTreeOptions* StringTreeOptions() const;

    void ReinitNode(PVirtualNode Node, bool Recursive) override;
    Integer GetNodeTextWidth(PVirtualNode Node, TColumnIndex Column) override;
    // The column where painting continues after Column; with toAutoSpanColumns CellRect grows
    // over the empty cells to its right.
    virtual TColumnIndex AdjustCellSpan(PVirtualNode Node, TColumnIndex Column, TRect& CellRect);
    bool DoGetCellIsEmpty(PVirtualNode Node, TColumnIndex Column) override;

    // Caption chunk of a saved tree stream: type 3, size in bytes, UTF-16LE text.
    static constexpr Integer CaptionChunk = 3;
    void WriteChunks(TStream* Stream, PVirtualNode Node) override;
    // Answers whether the chunk was this tree's to read.
    bool ReadChunk(TStream* Stream, Integer Version, PVirtualNode Node, Integer ChunkType,
                   Integer ChunkSize) override;

    TVSTGetTextEvent OnGetText;
    TVSTNewTextEvent OnNewText;

protected:
    friend class TVirtualTreeWindow;
    friend class TVirtualStringTreeWindow;

    TCustomVirtualTreeOptions* CreateOptions() override;
    virtual void DoGetText(PVirtualNode Node, TColumnIndex Column, TVSTTextType TextType,
                           UnicodeString& CellText);
    virtual void DoNewText(PVirtualNode Node, TColumnIndex Column, const UnicodeString& NewText);
    virtual Integer MeasureCellTextWidth(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                         const UnicodeString& Text);
    virtual Integer DoMeasureTextWidth(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column,
                                       const UnicodeString& Text);
    Integer DoIncrementalSearch(PVirtualNode Node, const UnicodeString& Text) override;
    void HandleMainColumnChange() override;
    void InvalidateNode(PVirtualNode Node) override;
    // The cached main-column text width of a node; null for nil and the root.
    Integer* TextWidthCache(PVirtualNode Node) const;

private:
    void ForgetTextWidths();

    UnicodeString FDefaultText;
    Cardinal FInternalDataOffset = 0;
};

class TVirtualStringTree : public TCustomVirtualStringTree {
    CLASS_INFO(TVirtualStringTree, TCustomVirtualStringTree)
public:
    using TCustomVirtualStringTree::TCustomVirtualStringTree;
    TStringTreeOptions* TreeOptions() const;
    void SetTreeOptions(TStringTreeOptions* Value);

protected:
    TCustomVirtualTreeOptions* CreateOptions() override;
};
