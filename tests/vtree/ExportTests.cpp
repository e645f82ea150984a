// Content export of the string tree window: delimited text and its quoting, level padding, the
// export filter, hostile cell texts in HTML and RTF, UTF-8 and UTF-16 escapes of characters
// beyond the basic plane, clipboard blocks and the HTML description's offsets, custom events.
#include "WindowFixture.h"

#include <cstring>

using namespace vtree_test;

namespace {

// Cell texts by node and column.
struct TCells {
    std::map<std::pair<PVirtualNode, TColumnIndex>, std::wstring> Texts;
    void GetText(TBaseVirtualTree*, PVirtualNode Node, TColumnIndex Column, TVSTTextType,
                 UnicodeString& Text) {
        auto found = Texts.find({Node, Column});
        if (found != Texts.end()) Text = found->second;
    }
};

class Export : public TWindowFixture {
protected:
    TCells Cells;
    Export() { Window->StringTree()->OnGetText = TVSTGetTextEvent(&Cells, &TCells::GetText); }
    void AddColumns(std::initializer_list<const wchar_t*> Captions) {
        for (const wchar_t* caption : Captions) Header().Columns()->Add()->SetText(caption);
        Header().SetMainColumn(0);
    }
    PVirtualNode Row(PVirtualNode Parent, std::initializer_list<const wchar_t*> Texts) {
        PVirtualNode node = Tree().AddChild(Parent);
        TColumnIndex column = Header().UseColumns() ? 0 : NoColumn;
        for (const wchar_t* text : Texts) Cells.Texts[{node, column++}] = text;
        if (Parent) Tree().SetExpanded(Parent, true);
        return node;
    }
};

std::string Between(const std::string& Text, const std::string& After, std::size_t Length) {
    const std::size_t at = Text.find(After);
    return at == std::string::npos ? std::string() : Text.substr(at + After.size(), Length);
}

} // namespace

TEST_F(Export, DelimitedTextQuotesCellsHoldingTheSeparatorOrQuotes) {
    AddColumns({L"H0", L"H1", L"H2"});
    Row(nullptr, {L"plain", L"x;y", L"say \"hi\""});
    EXPECT_EQ(Window->ContentToText(tstAll, ';'),
              "H0;H1;H2\r\nplain;\"x;y\";\"say \"\"hi\"\"\"\r\n");
    EXPECT_EQ(Window->ContentToUnicode(tstAll, L';'), L"H0;H1;H2\r\nplain;\"x;y\";say \"hi\"\r\n");
}

TEST_F(Export, MainColumnCarriesTheLevelsAsSeparators) {
    AddColumns({L"Name", L"Value"});
    PVirtualNode a = Row(nullptr, {L"A", L"1"});
    PVirtualNode b = Row(a, {L"B", L"2"});
    Row(b, {L"C", L"3"});
    EXPECT_EQ(Window->ContentToText(tstAll, ";"), "Name;;;Value\r\nA;;;1\r\n;B;;2\r\n;;C;3\r\n");
    // Without columns: the leading separators only, no quoting.
    Header().Columns()->Clear();
    Cells.Texts[{a, NoColumn}] = L"x;y";
    Cells.Texts[{b, NoColumn}] = L"B";
    EXPECT_EQ(Window->ContentToText(tstAll, ";").substr(0, 9), "x;y\r\n;B\r\n");
}

TEST_F(Export, AllColumnsHiddenGiveEmptyLines) {
    AddColumns({L"H0"});
    Header().Columns()->Items(0)->SetOptions(DefaultColumnOptions - TVTColumnOptions{coVisible});
    Row(nullptr, {L"A"});
    EXPECT_EQ(Window->ContentToUnicode(tstAll, L"\t"), L"\r\n\r\n");
}

TEST_F(Export, CheckedFilterLeavesOutPressedAndMixedNodesExceptFromUnicode) {
    PVirtualNode normal = Row(nullptr, {L"normal"});
    PVirtualNode pressed = Row(nullptr, {L"pressed"});
    PVirtualNode mixed = Row(nullptr, {L"mixed"});
    normal->CheckState = csCheckedNormal;
    pressed->CheckState = csCheckedPressed;
    mixed->CheckState = csMixedNormal;
    Tree().TreeOptions()->ExportMode = emChecked;
    for (const std::string& text :
         {Window->ContentToText(tstAll, "\t"), Window->ContentToHTML(tstAll)}) {
        EXPECT_NE(text.find("normal"), std::string::npos) << text;
        EXPECT_EQ(text.find("pressed"), std::string::npos) << text;
        EXPECT_EQ(text.find("mixed"), std::string::npos) << text;
    }
    // RTF writes texts as escapes: look for the first two letters.
    const std::string rtf = Window->ContentToRTF(tstAll);
    EXPECT_NE(rtf.find("\\u110\\'3f\\u111"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\u112\\'3f\\u114"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\u109\\'3f\\u105"), std::string::npos) << rtf;
    EXPECT_NE(Window->ContentToUnicode(tstAll, L"\t").find(L"pressed"), std::wstring::npos);
}

TEST_F(Export, HtmlEscapesEveryTextItWrites) {
    AddColumns({L"<th>&", L"x"});
    Window->Font()->SetName(L"Evil\"><b>");
    Row(nullptr, {L"<script>alert(\"&\")</script>", L"a>b"});
    const std::string html = Window->ContentToHTML(tstAll, L"cap\" onload=\"x");
    EXPECT_EQ(html.find("<script>"), std::string::npos);
    EXPECT_NE(html.find("&lt;script&gt;alert(&quot;&amp;&quot;)&lt;/script&gt;"),
              std::string::npos);
    EXPECT_NE(html.find("a&gt;b</td>"), std::string::npos);
    EXPECT_NE(html.find("&lt;th&gt;&amp;</th>"), std::string::npos);
    EXPECT_NE(html.find("caption=\"cap&quot; onload=&quot;x\""), std::string::npos);
    EXPECT_NE(html.find("\"Evil&quot;&gt;&lt;b&gt;\""), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.substr(html.size() - 8), "</table>");
}

TEST_F(Export, CharacterBeyondTheBasicPlaneInHtmlAndRtf) {
    Row(nullptr, {L"\U0001F600\xD800"}); // a pair, then a lone surrogate
    const std::string html = Window->ContentToHTML(tstAll);
    EXPECT_NE(html.find("\xF0\x9F\x98\x80</td>"), std::string::npos);
    const std::string rtf = Window->ContentToRTF(tstAll);
    EXPECT_NE(rtf.find("\\u-10179\\'3f\\u-8704\\'3f"), std::string::npos) << rtf;
}

TEST_F(Export, RtfEscapesFontNamesAndNeverWritesCellTextPlain) {
    Window->Font()->SetName(L"a\\b{c}");
    Row(nullptr, {L"{\\par}\nx"});
    const std::string rtf = Window->ContentToRTF(tstAll);
    EXPECT_NE(rtf.find("{\\f0 a\\\\b\\{c\\};}"), std::string::npos) << rtf;
    const std::size_t lineBreak = rtf.find("{\\par}");
    EXPECT_EQ(lineBreak, rtf.find("{\\par}\\u120")); // the cell's line break, then "x"
    EXPECT_EQ(rtf.find("{\\par}", lineBreak + 1), std::string::npos);
    EXPECT_NE(rtf.find("\\u123\\'3f\\u92\\'3f"), std::string::npos);
    EXPECT_EQ(rtf.substr(0, 5), "{\\rtf");
    EXPECT_EQ(rtf.back(), '}');
}

TEST_F(Export, ClipboardBlocks) {
    PVirtualNode node = Row(nullptr, {L"A"});
    auto contents = [](HGLOBAL Block) {
        std::string bytes(GlobalSize(Block), '\0');
        std::memcpy(bytes.data(), GlobalLock(Block), bytes.size());
        GlobalUnlock(Block);
        GlobalFree(Block);
        return bytes;
    };
    HGLOBAL empty = Window->ContentToClipboard(CF_UNICODETEXT, tstSelected);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(contents(empty), std::string(2, '\0'));
    HGLOBAL text = Window->ContentToClipboard(CF_TEXT, tstAll);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(contents(text), std::string("A\r\n", 4));
    EXPECT_EQ(Window->ContentToClipboard(CF_BITMAP, tstAll), nullptr);
    Tree().SetSelected(node, true);
    HGLOBAL html = Window->ContentToClipboard(
        static_cast<Word>(RegisterClipboardFormatW(L"HTML Format")), tstAll);
    ASSERT_NE(html, nullptr);
    const std::string block = contents(html);
    const int startHtml = std::stoi(Between(block, "StartHTML:", 8));
    const int endHtml = std::stoi(Between(block, "EndHTML:", 8));
    const int startFragment = std::stoi(Between(block, "StartFragment:", 8));
    const int endFragment = std::stoi(Between(block, "EndFragment:", 8));
    EXPECT_EQ(startHtml, 97);
    EXPECT_EQ(block.substr(97, 9), "<!DOCTYPE");
    EXPECT_EQ(startFragment, 269);
    EXPECT_EQ(block.substr(startFragment, 9), "<META htt");
    EXPECT_EQ(endHtml - endFragment, 32);
    EXPECT_EQ(static_cast<std::size_t>(endHtml) + 1, block.size()); // and the terminator
    EXPECT_EQ(block.substr(endFragment, 18), "<!--EndFragment-->");
}

TEST_F(Export, CustomExportFiresTheEventsInOrder) {
    AddColumns({L"H0", L"H1"});
    Header().SetOptions(Header().Options() + TVTHeaderOptions{hoVisible});
    Row(nullptr, {L"A", L"a"});
    struct TLog {
        std::vector<std::string> Entries;
        void Tree(TVirtualStringTreeWindow*, TVTExportType) { Entries.push_back("tree"); }
        void Column(TVirtualStringTreeWindow*, TVTExportType T, TVirtualTreeColumn* C) {
            Entries.push_back("column" + std::to_string(C->Index()) + "/" + std::to_string(T));
        }
        bool Node(TVirtualStringTreeWindow*, TVTExportType, PVirtualNode) {
            Entries.push_back("node");
            return true;
        }
    } log;
    Window->OnBeforeTreeExport = TVTTreeExportEvent(&log, &TLog::Tree);
    Window->OnAfterTreeExport = TVTTreeExportEvent(&log, &TLog::Tree);
    Window->OnColumnExport = TVTColumnExportEvent(&log, &TLog::Column);
    Window->OnNodeExport = TVTNodeExportEvent(&log, &TLog::Node);
    Window->ContentToCustom(tstAll);
    EXPECT_EQ(log.Entries,
              (std::vector<std::string>{"tree", "column0/5", "column1/5", "node", "tree"}));
    Window->OnBeforeTreeExport = {};
    Window->OnAfterTreeExport = {};
    Window->OnColumnExport = {};
    Window->OnNodeExport = {};
}

TEST(ExportBuffer, GrowsInStepsAndKeepsOneCharacterFree) {
    TBufferedAnsiString buffer;
    buffer.Add("abc");
    EXPECT_EQ(buffer.Capacity(), 4096u);
    buffer.Add(std::string(4092, 'x')); // 4095 used: one left
    EXPECT_EQ(buffer.Capacity(), 4096u);
    buffer.Add("y");
    EXPECT_EQ(buffer.Capacity(), 8192u);
    buffer.Add(std::string(9000, 'z'));
    EXPECT_EQ(buffer.Capacity(), 8192u + 12288u);
    EXPECT_EQ(buffer.AsString().size(), 4096u + 9000u);
}
