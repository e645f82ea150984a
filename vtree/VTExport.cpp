// The exporter's walks over nodes and columns, the delimited text renderers (8-bit text, also
// used as CSV, and UTF-16 text), the event-only custom export, and the window's entry points.
// Every line of a delimited export ends with CR LF; the main column carries the tree's levels
// as leading and trailing separators so that the columns stay aligned.
#include "vtree/VTExportInternal.h"

#include <algorithm>

TVTExporter::TVTExporter(TVirtualStringTreeWindow& Window)
    : FWindow(Window), FTree(*Window.StringTree()), FHeader(*Window.Header()) {}

// ---- walks ------------------------------------------------------------------------------------

PVirtualNode TVTExporter::First(TVSTTextSourceType Source) {
    switch (Source) {
    case tstInitialized: return FTree.GetFirstInitialized();
    case tstSelected: return FTree.GetFirstSelected();
    case tstCutCopySet: return FTree.GetFirstCutCopy();
    case tstVisible: return FTree.GetFirstVisible(nullptr, true);
    case tstAll: break;
    }
    return FTree.GetFirst();
}

PVirtualNode TVTExporter::Next(PVirtualNode Node, TVSTTextSourceType Source) {
    switch (Source) {
    case tstInitialized: return FTree.GetNextInitialized(Node);
    case tstSelected: return FTree.GetNextSelected(Node);
    case tstCutCopySet: return FTree.GetNextCutCopy(Node);
    case tstVisible: return FTree.GetNextVisible(Node, true);
    case tstAll: break;
    }
    return FTree.GetNext(Node);
}

bool TVTExporter::CanExport(PVirtualNode Node) const {
    switch (FTree.TreeOptions()->ExportMode) {
    case emChecked: return Node->CheckState == csCheckedNormal;
    case emUnchecked: return Node->CheckState == csUncheckedNormal;
    case emAll: break;
    }
    return true;
}

bool TVTExporter::Accepts(TVTExportType Type, PVirtualNode Node) {
    if (!CanExport(Node)) return false;
    return !FWindow.OnBeforeNodeExport || FWindow.OnBeforeNodeExport(&FWindow, Type, Node);
}

Cardinal TVTExporter::MaxLevel(TVSTTextSourceType Source, bool Filtered) {
    Cardinal level = 0;
    for (PVirtualNode node = First(Source); node; node = Next(node, Source))
        if (!Filtered || CanExport(node)) level = std::max(level, FTree.GetNodeLevel(node));
    return level;
}

std::vector<TColumnIndex> TVTExporter::ExportColumns() const {
    if (!FHeader.UseColumns()) return {NoColumn};
    std::vector<TColumnIndex> columns;
    for (TVirtualTreeColumn* column : FHeader.Columns()->GetVisibleColumns())
        columns.push_back(column->Index());
    return columns;
}

TVirtualTreeColumn* TVTExporter::Column(TColumnIndex Index) const {
    return FHeader.Columns()->Items(Index);
}

TAlignment TVTExporter::CellAlignment(TColumnIndex Index, bool Caption, bool& RightToLeft) const {
    TAlignment alignment = FWindow.Alignment();
    RightToLeft = FTree.BiDiMode != bdLeftToRight;
    if (FHeader.Columns()->IsValidColumn(Index)) {
        TVirtualTreeColumn* column = Column(Index);
        alignment = Caption ? column->CaptionAlignment() : column->Alignment();
        RightToLeft = column->UseRightToLeftReading();
    }
    if (RightToLeft && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
    return alignment;
}

bool TVTExporter::PaintText(TCanvas* Canvas, PVirtualNode Node, TColumnIndex Column) {
    TFont* font = Canvas->Font();
    TFont* treeFont = FWindow.Font();
    font->Assign(treeFont);
    FWindow.DoPaintText(Node, Canvas, Column, ttNormal);
    return font->Name() != treeFont->Name() || font->Height() != treeFont->Height() ||
           font->Style() != treeFont->Style() || font->Color() != treeFont->Color();
}

// ---- delimited text
// -------------------------------------------------------------------------------

template <> std::string TVTExporter::Convert<char>(const UnicodeString& Text) const {
    return UnicodeToAnsi(Text);
}

template <> std::wstring TVTExporter::Convert<wchar_t>(const UnicodeString& Text) const {
    return Text;
}

// Filtered: the 8-bit export, which honours ExportMode and fires the node events.
template <class TChar, class TQuote>
std::basic_string<TChar> TVTExporter::Delimited(TVSTTextSourceType Source,
                                                const std::basic_string<TChar>& Separator,
                                                bool Filtered, const TQuote& Quote) {
    using TText = std::basic_string<TChar>;
    const Cardinal maxLevel = MaxLevel(Source, false);
    TText pad;
    for (Cardinal i = 0; i < maxLevel; ++i) pad += Separator;
    const std::vector<TColumnIndex> columns = ExportColumns();
    const bool useColumns = FHeader.UseColumns();
    const TColumnIndex main = FHeader.MainColumn();
    TBufferedString<TChar> buffer;
    if (useColumns) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            buffer.Add(Convert<TChar>(Column(columns[i])->Text()));
            if (i + 1 == columns.size()) break;
            if (columns[i] == main) buffer.Add(pad);
            buffer.Add(Separator);
        }
        buffer.AddNewLine();
    }
    for (PVirtualNode node = First(Source); node; node = Next(node, Source)) {
        if (Filtered && !Accepts(etText, node)) continue;
        const Cardinal level = FTree.GetNodeLevel(node);
        const TText indent = pad.substr(0, level * Separator.size());
        if (!useColumns) {
            buffer.Add(indent);
            buffer.Add(Convert<TChar>(FTree.CellText(node, NoColumn)));
            buffer.AddNewLine();
            if (Filtered) FWindow.OnAfterNodeExport(&FWindow, etText, node);
            continue;
        }
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const TText text = Quote(Convert<TChar>(FTree.CellText(node, columns[i])));
            if (columns[i] == main) {
                buffer.Add(indent + text);
                buffer.Add(pad.substr(0, (maxLevel - level) * Separator.size()));
            } else {
                buffer.Add(text);
            }
            if (i + 1 < columns.size()) buffer.Add(Separator);
        }
        if (Filtered) FWindow.OnAfterNodeExport(&FWindow, etText, node);
        buffer.AddNewLine();
    }
    return buffer.AsString();
}

// A cell holding the separator or a double quote is quoted, its quotes doubled.
RawByteString TVTExporter::Text(TVSTTextSourceType Source, const RawByteString& Separator) {
    return Delimited<char>(Source, Separator, true, [&](const std::string& Cell) {
        const bool quote = (!Separator.empty() && Cell.find(Separator) != std::string::npos) ||
                           Cell.find('"') != std::string::npos;
        if (!quote) return Cell;
        std::string quoted = "\"";
        for (char c : Cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    });
}

// Every node is written (no filter, no events); only a cell holding the separator is quoted.
UnicodeString TVTExporter::Unicode(TVSTTextSourceType Source, const UnicodeString& Separator) {
    return Delimited<wchar_t>(Source, Separator, false, [&](const std::wstring& Cell) {
        if (Separator.empty() || Cell.find(Separator) == std::wstring::npos) return Cell;
        return L"\"" + Cell + L"\"";
    });
}

// ---- custom -------------------------------------------------------------------------------------

void TVTExporter::Custom(TVSTTextSourceType Source) {
    FWindow.OnBeforeTreeExport(&FWindow, etCustom);
    if (FHeader.UseColumns() && FHeader.Options().Contains(hoVisible)) {
        FWindow.OnBeforeHeaderExport(&FWindow, etCustom);
        for (TColumnIndex index : ExportColumns()) {
            FWindow.OnBeforeColumnExport(&FWindow, etCustom, Column(index));
            FWindow.OnColumnExport(&FWindow, etCustom, Column(index));
            FWindow.OnAfterColumnExport(&FWindow, etCustom, Column(index));
        }
        FWindow.OnAfterHeaderExport(&FWindow, etCustom);
    }
    for (PVirtualNode node = First(Source); node; node = Next(node, Source)) {
        if (!CanExport(node)) continue;
        FWindow.OnBeforeNodeExport(&FWindow, etCustom, node);
        FWindow.OnNodeExport(&FWindow, etCustom, node);
        FWindow.OnAfterNodeExport(&FWindow, etCustom, node);
    }
    FWindow.OnAfterTreeExport(&FWindow, etCustom);
}

// ---- the window's entry points
// --------------------------------------------------------------------

RawByteString TVirtualStringTreeWindow::ContentToHTML(TVSTTextSourceType Source,
                                                      const UnicodeString& Caption) {
    return TVTExporter(*this).Html(Source, Caption);
}

RawByteString TVirtualStringTreeWindow::ContentToRTF(TVSTTextSourceType Source) {
    return TVTExporter(*this).Rtf(Source);
}

RawByteString TVirtualStringTreeWindow::ContentToText(TVSTTextSourceType Source, char Separator) {
    return ContentToText(Source, RawByteString(1, Separator));
}

RawByteString TVirtualStringTreeWindow::ContentToText(TVSTTextSourceType Source,
                                                      const RawByteString& Separator) {
    return TVTExporter(*this).Text(Source, Separator);
}

UnicodeString TVirtualStringTreeWindow::ContentToUnicode(TVSTTextSourceType Source,
                                                         wchar_t Separator) {
    return ContentToUnicode(Source, UnicodeString(1, Separator));
}

UnicodeString TVirtualStringTreeWindow::ContentToUnicode(TVSTTextSourceType Source,
                                                         const UnicodeString& Separator) {
    return TVTExporter(*this).Unicode(Source, Separator);
}

void TVirtualStringTreeWindow::ContentToCustom(TVSTTextSourceType Source) {
    TVTExporter(*this).Custom(Source);
}
