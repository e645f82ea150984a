// The vocabulary of the string tree's content export: which nodes are exported, the formats
// passed to the export events, the events themselves, and the two growable buffers the
// renderers collect their output in. The renderers are members of TVirtualStringTreeWindow
// (ContentToHTML, ContentToRTF, ContentToText, ContentToUnicode, ContentToCustom,
// ContentToClipboard; VTExport*.cpp).
//
// Classes here: TBufferedString (TBufferedAnsiString, TWideBufferedString).
#pragma once

#include "framework/Events.h"
#include "vtree/VTTypes.h"

#include <string>

class TVirtualStringTreeWindow;
class TVirtualTreeColumn;

// Which nodes an export walks, and in which order.
enum TVSTTextSourceType { tstAll, tstInitialized, tstSelected, tstCutCopySet, tstVisible };
// The format an export event is fired for; etExcel and etWord are the owner's own.
enum TVTExportType { etRTF, etHTML, etText, etExcel, etWord, etCustom };

using TVTTreeExportEvent =
    TMethodEvent<void(TVirtualStringTreeWindow* Sender, TVTExportType ExportType)>;
using TVTColumnExportEvent = TMethodEvent<void(
    TVirtualStringTreeWindow* Sender, TVTExportType ExportType, TVirtualTreeColumn* Column)>;
// Answers False (OnBeforeNodeExport) to leave the node out.
using TVTNodeExportEvent = TMethodEvent<bool(TVirtualStringTreeWindow* Sender,
                                             TVTExportType ExportType, PVirtualNode Node)>;

// The clipboard's "HTML Format": the description with the byte offsets of the document and the
// fragment, then a document around Fragment (UTF-8).
std::string WrapClipboardHtml(const std::string& Fragment);

// Collects many small pieces of text: the storage grows in steps of 4096 characters (or the
// next multiple of 4096 that holds a longer piece), so that appending does not reallocate each
// time; at least one free character always remains.
template <class TChar> class TBufferedString {
public:
    using TText = std::basic_string<TChar>;
    static constexpr std::size_t Step = 4096;

    void Add(const TText& S) {
        if (S.size() >= Free()) Grow(S.size());
        FText += S;
    }
    void AddNewLine() {
        if (Free() <= 2) Grow(1);
        FText += TChar(13);
        FText += TChar(10);
    }
    const TText& AsString() const noexcept { return FText; }
    std::size_t Capacity() const noexcept { return FCapacity; }

private:
    std::size_t Free() const noexcept { return FCapacity - FText.size(); }
    void Grow(std::size_t AtLeast) {
        FCapacity += (AtLeast + Step - 1) / Step * Step;
        FText.reserve(FCapacity);
    }

    TText FText;
    std::size_t FCapacity = 0;
};
using TBufferedAnsiString = TBufferedString<char>;
using TWideBufferedString = TBufferedString<wchar_t>;
