// Shared by the export renderers (VTExport*.cpp) only: the exporter, which walks a source's
// nodes and columns for one window and renders them in each format. It reads the window and
// its string tree and fires the window's export events; it keeps nothing between exports.
#pragma once

#include "vtree/VTWindow.h"

class TVTExporter {
public:
    explicit TVTExporter(TVirtualStringTreeWindow& Window);

    RawByteString Html(TVSTTextSourceType Source, const UnicodeString& Caption);
    RawByteString Rtf(TVSTTextSourceType Source);
    RawByteString Text(TVSTTextSourceType Source, const RawByteString& Separator);
    UnicodeString Unicode(TVSTTextSourceType Source, const UnicodeString& Separator);
    void Custom(TVSTTextSourceType Source);

private:
    PVirtualNode First(TVSTTextSourceType Source);
    PVirtualNode Next(PVirtualNode Node, TVSTTextSourceType Source);
    // The ExportMode filter.
    bool CanExport(PVirtualNode Node) const;
    // CanExport, then OnBeforeNodeExport (a handler answering False leaves the node out).
    bool Accepts(TVTExportType Type, PVirtualNode Node);
    Cardinal MaxLevel(TVSTTextSourceType Source, bool Filtered);
    // The visible columns in display order, or the one pseudo column -1 without columns.
    std::vector<TColumnIndex> ExportColumns() const;
    TVirtualTreeColumn* Column(TColumnIndex Index) const;
    // Sets the canvas font to the tree's and lets OnPaintText style the cell; answers whether
    // it changed the font.
    bool PaintText(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column);
    // The cell's alignment (the tree's without columns), mirrored for right-to-left reading.
    TAlignment CellAlignment(TColumnIndex Column, bool Caption, bool& RightToLeft) const;
    template <class TChar, class TQuote>
    std::basic_string<TChar> Delimited(TVSTTextSourceType Source,
                                       const std::basic_string<TChar>& Separator, bool Filtered,
                                       const TQuote& Quote);
    template <class TChar> std::basic_string<TChar> Convert(const UnicodeString& Text) const;

    // HTML (VTExportHtml.cpp) and RTF (VTExportRtf.cpp) pieces.
    class THtml;
    class TRtf;

    TVirtualStringTreeWindow& FWindow;
    TCustomVirtualStringTree& FTree;
    TVTHeader& FHeader;
};
