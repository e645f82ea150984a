// The clipboard formats, the data object and its enumerator, the text formats it renders, the
// reference to the source tree (forged and stale blocks refused), and copy, cut, paste and
// flush through the real clipboard.
#include "TransferFixture.h"

#include <cstring>

namespace vtree_test {
namespace {

std::wstring DescriptionOf(CLIPFORMAT Format) {
    UnicodeString description;
    TClipboardFormatList::Instance().FindFormat(Format, description);
    return description;
}

// A movable global block holding Bytes.
HGLOBAL BlockOf(const std::vector<Byte>& Bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, Bytes.size());
    std::memcpy(GlobalLock(block), Bytes.data(), Bytes.size());
    GlobalUnlock(block);
    return block;
}

// Puts raw blocks on the clipboard, as another program would.
void PutRawClipboard(const std::vector<std::pair<CLIPFORMAT, std::vector<Byte>>>& Blocks) {
    ASSERT_EQ(OleSetClipboard(nullptr), S_OK);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    for (const auto& [format, bytes] : Blocks) SetClipboardData(format, BlockOf(bytes));
    CloseClipboard();
}

template <class T> void Append(std::vector<Byte>& Bytes, const T& Value) {
    const auto* raw = reinterpret_cast<const Byte*>(&Value);
    Bytes.insert(Bytes.end(), raw, raw + sizeof(T));
}

class TBaseTreeWindow : public TVirtualTreeWindow {
public:
    using TVirtualTreeWindow::TVirtualTreeWindow;

protected:
    TBaseVirtualTree* CreateTree() override { return Construct<TBaseVirtualTree>(nullptr); }
};

using Clipboard = TTransferFixture;

TEST_F(Clipboard, OfferedFormatsComeInPriorityOrder) {
    TOwned<TStringList> names(new TStringList);
    for (const wchar_t* name :
         {L"Plain text", L"Unicode text", L"CSV", L"Rich Text Format",
          L"Rich Text Format Without Objects", L"HTML Format", L"Virtual Tree Data"})
        names->Add(name);
    A->SetClipboardFormats(names.get());
    TFormatEtcArray formats;
    A->GetNativeFormats(formats);
    std::vector<std::wstring> described;
    for (const FORMATETC& format : formats) described.push_back(DescriptionOf(format.cfFormat));
    EXPECT_EQ(described,
              (std::vector<std::wstring>{L"Virtual Tree Data", L"HTML Format",
                                         L"Rich Text Format Without Objects", L"Rich Text Format",
                                         L"CSV", L"Unicode text", L"Plain text"}));
}

TEST_F(Clipboard, FormatsAreRefusedForTheWrongTreeClassOrWhenUnknown) {
    TOwned<TBaseTreeWindow> base(Construct<TBaseTreeWindow>(nullptr));
    EXPECT_EQ(base->ClipboardFormats()->Add(L"Plain text"), -1);
    EXPECT_GE(base->ClipboardFormats()->Add(L"Virtual Tree Data"), 0);
    EXPECT_EQ(base->ClipboardFormats()->Add(L"No Such Format"), -1);
    EXPECT_GE(A->ClipboardFormats()->Add(L"plain TEXT"), 0); // names compare without case
    EXPECT_EQ(base->ClipboardFormats()->Count(), 1);
}

TEST_F(Clipboard, AnEmptyFormatListOffersOnlyTheUsersFormats) {
    struct TUser {
        void Formats(TVirtualTreeWindow*, TFormatEtcArray& Formats) {
            Formats.push_back(vtree_formats::FormatEtcFor(CF_TEXT));
        }
    } user;
    B->ClipboardFormats()->Clear();
    B->OnGetUserClipboardFormats = TVTGetUserClipboardFormatsEvent(&user, &TUser::Formats);
    TFormatEtcArray formats;
    B->GetNativeFormats(formats);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0].cfFormat, CF_TEXT);
    B->OnGetUserClipboardFormats = {};
}

TEST_F(Clipboard, EnumeratorSkipsNextsAndClones) {
    TFormatEtcArray three{vtree_formats::FormatEtcFor(CF_TEXT),
                          vtree_formats::FormatEtcFor(CF_UNICODETEXT),
                          vtree_formats::FormatEtcFor(CF_DIB)};
    TComPtr<IEnumFORMATETC> enumerator(new TEnumFormatEtc(three));
    EXPECT_EQ(enumerator->Skip(4), S_FALSE);
    EXPECT_EQ(enumerator->Skip(2), S_OK);
    TComPtr<IEnumFORMATETC> clone;
    ASSERT_EQ(enumerator->Clone(clone.Put()), S_OK);
    FORMATETC got[3];
    ULONG fetched = 0;
    EXPECT_EQ(enumerator->Next(3, got, &fetched), S_OK);
    EXPECT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].cfFormat, CF_DIB);
    EXPECT_EQ(enumerator->Next(1, got, &fetched), S_FALSE);
    EXPECT_EQ(fetched, 0u);
    EXPECT_EQ(clone->Next(1, got, nullptr), S_OK) << "the clone keeps the index";
    EXPECT_EQ(got[0].cfFormat, CF_DIB);
    EXPECT_EQ(enumerator->Reset(), S_OK);
    EXPECT_EQ(enumerator->Next(1, got, nullptr), S_OK);
    EXPECT_EQ(got[0].cfFormat, CF_TEXT);
}

TEST_F(Clipboard, QueryGetDataNamesWhatDoesNotMatch) {
    TComPtr<IDataObject> data(new TVTDataObject(A.get(), false));
    const CLIPFORMAT tree = vtree_formats::TreeData();
    struct TCase {
        FORMATETC Format;
        HRESULT Expected;
    };
    const TCase cases[] = {
        {{tree, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, S_OK},
        {{tree, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL | TYMED_ISTREAM}, S_OK},
        {{tree, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM}, DV_E_TYMED},
        {{tree, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI}, DV_E_TYMED},
        {{tree, nullptr, DVASPECT_ICON, -1, TYMED_HGLOBAL}, DV_E_DVASPECT},
        {{tree, nullptr, DVASPECT_CONTENT, 0, TYMED_HGLOBAL}, DV_E_LINDEX},
        {{CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}, DV_E_FORMATETC},
    };
    for (const TCase& c : cases) {
        FORMATETC format = c.Format;
        EXPECT_EQ(data->QueryGetData(&format), c.Expected)
            << "tymed " << c.Format.tymed << " aspect " << c.Format.dwAspect;
    }
}

TEST_F(Clipboard, StoredDataComesBackAsACopy) {
    TComPtr<IDataObject> data(new TVTDataObject(A.get(), false));
    const CLIPFORMAT format = static_cast<CLIPFORMAT>(RegisterClipboardFormatW(L"Test Payload"));
    FORMATETC etc = vtree_formats::FormatEtcFor(format);
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = BlockOf({1, 2, 3, 4});
    ASSERT_EQ(data->SetData(&etc, &medium, FALSE), S_OK);
    ReleaseStgMedium(&medium); // the object keeps its own copy
    STGMEDIUM out{};
    ASSERT_EQ(data->GetData(&etc, &out), S_OK);
    ASSERT_EQ(out.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    ASSERT_EQ(GlobalSize(out.hGlobal), 4u);
    const auto* bytes = static_cast<const Byte*>(GlobalLock(out.hGlobal));
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[3], 4);
    GlobalUnlock(out.hGlobal);
    ReleaseStgMedium(&out);
}

TEST_F(Clipboard, ReferenceNamesTheLiveTreeOnlyWhileItLives) {
    AddNodes(*B, NamesB, {L"b"});
    TComPtr<IDataObject> data(new TVTDataObject(B.get(), false));
    EXPECT_EQ(FindSourceTree(data.Get()), B.get());
    NamesB.Detach();
    B.reset();
    EXPECT_EQ(FindSourceTree(data.Get()), nullptr);
    FORMATETC etc = vtree_formats::FormatEtcFor(vtree_formats::TreeData());
    STGMEDIUM medium{};
    EXPECT_EQ(data->GetData(&etc, &medium), E_FAIL)
        << "a data object of a gone tree renders nothing";
}

TEST_F(Clipboard, ForgedAndShortReferenceBlocksAreRefused) {
    const CLIPFORMAT reference = vtree_formats::Reference();
    struct TCase {
        const char* What;
        std::vector<Byte> Bytes;
    };
    std::vector<Byte> wrongSerial, otherProcess;
    Append(wrongSerial, GetCurrentProcessId());
    Append(wrongSerial, static_cast<DWORD>(A->LiveSerial() + 1000));
    Append(wrongSerial, reinterpret_cast<UINT_PTR>(A.get()));
    Append(otherProcess, GetCurrentProcessId() + 4);
    Append(otherProcess, static_cast<DWORD>(A->LiveSerial()));
    Append(otherProcess, reinterpret_cast<UINT_PTR>(A.get()));
    std::vector<Byte> shortBlock(otherProcess.begin(), otherProcess.begin() + 6);
    std::vector<Byte> stranger;
    Append(stranger, GetCurrentProcessId());
    Append(stranger, static_cast<DWORD>(A->LiveSerial()));
    Append(stranger, reinterpret_cast<UINT_PTR>(&stranger));
    for (const TCase& c : {TCase{"wrong serial", wrongSerial}, TCase{"other process", otherProcess},
                           TCase{"short block", shortBlock}, TCase{"not a tree", stranger}}) {
        PutRawClipboard({{reference, c.Bytes}});
        TComPtr<IDataObject> data;
        ASSERT_EQ(OleGetClipboard(data.Put()), S_OK);
        EXPECT_EQ(FindSourceTree(data.Get()), nullptr) << c.What;
    }
}

TEST_F(Clipboard, CopyMarksAndPasteCopiesIntoAnotherTree) {
    AddNodes(*A, NamesA, {L"a0", L"a1", L"a2"});
    A->Tree()->SetSelected(Named(*A, NamesA, L"a1"), true);
    A->CopyToClipBoard();
    EXPECT_TRUE(A->Tree()->TreeStates().Contains(tsCopyPending));
    EXPECT_EQ(A->CutCopyCount(), 1u);
    EXPECT_TRUE(B->PasteFromClipboard());
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"a1");
    EXPECT_EQ(NamesA.Shape(*A->Tree()), L"a0,a1,a2") << "a copy leaves the source alone";
    // New clipboard content ends the copy: the marks go.
    B->Tree()->SetSelected(B->Tree()->GetFirst(), true);
    B->ClipboardFormats()->Add(L"Virtual Tree Data");
    B->CopyToClipBoard();
    EXPECT_FALSE(A->Tree()->TreeStates().Contains(tsCopyPending));
    EXPECT_EQ(A->CutCopyCount(), 0u);
}

TEST_F(Clipboard, CutAndPasteMovesTheNodesBetweenTrees) {
    TCustomVirtualTreeOptions* options = A->Tree()->TreeOptions();
    options->SetSelectionOptions(options->SelectionOptions() + TVTSelectionOptions{toMultiSelect});
    AddNodes(*A, NamesA, {L"a0", L"a1", L"a2"});
    A->Tree()->AddChild(Named(*A, NamesA, L"a2"));
    NamesA.Map[A->Tree()->GetFirstChild(Named(*A, NamesA, L"a2"))] = L"a2x";
    A->Tree()->SetSelected(Named(*A, NamesA, L"a0"), true);
    A->Tree()->SetSelected(Named(*A, NamesA, L"a2"), true);
    A->CutToClipBoard();
    EXPECT_TRUE(A->Tree()->TreeStates().Contains(tsCutPending));
    EXPECT_TRUE(B->PasteFromClipboard());
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"a0,a2(a2x)");
    EXPECT_EQ(A->Tree()->TotalCount(), 1u);
    EXPECT_EQ(NamesA.Shape(*A->Tree()), L"a1");
    EXPECT_FALSE(A->Tree()->TreeStates().Contains(tsCutPending));
}

TEST_F(Clipboard, AfterAFlushAPasteCopiesEvenInTheSameProcess) {
    AddNodes(*A, NamesA, {L"a0", L"a1"});
    A->Tree()->SetSelected(Named(*A, NamesA, L"a1"), true);
    A->CutToClipBoard();
    A->FlushClipboard();
    EXPECT_FALSE(A->Tree()->TreeStates().Contains(tsCutPending));
    EXPECT_EQ(A->CutCopyCount(), 0u);
    TComPtr<IDataObject> data;
    ASSERT_EQ(OleGetClipboard(data.Put()), S_OK);
    EXPECT_EQ(FindSourceTree(data.Get()), nullptr);
    data.Reset();
    EXPECT_TRUE(B->PasteFromClipboard());
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"a1");
    EXPECT_EQ(NamesA.Shape(*A->Tree()), L"a0,a1");
}

TEST_F(Clipboard, AnOversizedLeadingCountIsClampedToTheBlock) {
    AddNodes(*A, NamesA, {L"lone"});
    TOwned<TMemoryStream> record(new TMemoryStream);
    A->Tree()->WriteNode(record.get(), A->Tree()->GetFirst());
    std::vector<Byte> bytes;
    Append(bytes, static_cast<DWORD>(0x7FFFFFF0));
    const auto* data = static_cast<const Byte*>(record->Memory());
    bytes.insert(bytes.end(), data, data + record->Size());
    PutRawClipboard({{vtree_formats::TreeData(), bytes}});
    EXPECT_TRUE(B->PasteFromClipboard());
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"lone");
}

TEST_F(Clipboard, MalformedTreeDataIsRejectedAndTheTreeKeptIntact) {
    AddNodes(*B, NamesB, {L"b0"});
    std::vector<Byte> bytes;
    Append(bytes, static_cast<DWORD>(16));
    Append(bytes, Integer{1});   // a node chunk...
    Append(bytes, Integer{-40}); // ...with a negative size
    Append(bytes, Integer{0});
    Append(bytes, Integer{0});
    PutRawClipboard({{vtree_formats::TreeData(), bytes}});
    EXPECT_THROW(B->PasteFromClipboard(), EVirtualTreeError);
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"b0");
    EXPECT_EQ(B->Tree()->TotalCount(), 1u);
}

TEST_F(Clipboard, WindowMessagesCopyCutAndPaste) {
    AddNodes(*A, NamesA, {L"m0"});
    A->Tree()->SetSelected(A->Tree()->GetFirst(), true);
    SendMessageW(A->Handle(), WM_COPY, 0, 0);
    EXPECT_TRUE(A->Tree()->TreeStates().Contains(tsCopyPending));
    SendMessageW(B->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(NamesB.Shape(*B->Tree()), L"m0");
}

// The bytes of a format as the data object renders it (empty, with a failure, when it fails).
std::vector<Byte> Rendered(IDataObject* Data, const wchar_t* Name, CLIPFORMAT Standard = 0) {
    const CLIPFORMAT format =
        Standard ? Standard : static_cast<CLIPFORMAT>(RegisterClipboardFormatW(Name));
    FORMATETC etc = vtree_formats::FormatEtcFor(format);
    STGMEDIUM medium{};
    const HRESULT result = Data->GetData(&etc, &medium);
    if (result != S_OK || medium.tymed != TYMED_HGLOBAL) {
        ADD_FAILURE() << "no block for " << UnicodeToAnsi(Name);
        return {};
    }
    const auto* bytes = static_cast<const Byte*>(GlobalLock(medium.hGlobal));
    std::vector<Byte> copy(bytes, bytes + GlobalSize(medium.hGlobal));
    GlobalUnlock(medium.hGlobal);
    ReleaseStgMedium(&medium);
    return copy;
}

// The text up to the first zero character; a block without one fails.
template <class TChar> std::basic_string<TChar> Terminated(const std::vector<Byte>& Bytes) {
    std::basic_string<TChar> text(Bytes.size() / sizeof(TChar), TChar{});
    std::memcpy(text.data(), Bytes.data(), text.size() * sizeof(TChar));
    const std::size_t end = text.find(TChar{});
    EXPECT_NE(end, std::basic_string<TChar>::npos) << "the text is terminated";
    return text.substr(0, end);
}

// The value of one of the HTML description's offsets.
std::size_t HtmlOffset(const std::string& Html, const std::string& Name) {
    const std::size_t at = Html.find(Name + ":");
    if (at == std::string::npos) {
        ADD_FAILURE() << "no " << Name;
        return 0;
    }
    return std::stoul(Html.substr(at + Name.size() + 1, 8));
}

TEST_F(Clipboard, TextFormatsRenderTheSelectedCellsThroughTheDataObject) {
    TOwned<TStringList> names(new TStringList);
    for (const wchar_t* name : {L"Plain text", L"Unicode text", L"CSV", L"Rich Text Format",
                                L"Rich Text Format Without Objects", L"HTML Format"})
        names->Add(name);
    A->SetClipboardFormats(names.get());
    for (const wchar_t* caption : {L"Name", L"Note"})
        A->Header()->Columns()->Add()->SetText(caption);
    AddNodes(*A, NamesA, {L"a&b<c>", L"say \"hi\", ok", L"br{a}c\\d"});
    A->Tree()->TreeOptions()->SetSelectionOptions({toMultiSelect});
    A->Tree()->SelectAll(false);
    TComPtr<IDataObject> data(new TVTDataObject(A.get(), false));

    const std::string text = Terminated<char>(Rendered(data.Get(), L"Plain text", CF_TEXT));
    EXPECT_NE(text.find("Name\tNote"), std::string::npos) << text;
    EXPECT_NE(text.find("a&b<c>\ta&b<c>"), std::string::npos) << text;
    EXPECT_NE(text.find("br{a}c\\d\tbr{a}c\\d"), std::string::npos) << text;

    const std::wstring unicode =
        Terminated<wchar_t>(Rendered(data.Get(), L"Unicode text", CF_UNICODETEXT));
    EXPECT_NE(unicode.find(L"a&b<c>\ta&b<c>"), std::wstring::npos);
    EXPECT_NE(unicode.find(L"say \"hi\", ok\tsay \"hi\", ok"), std::wstring::npos);

    const std::string csv = Terminated<char>(Rendered(data.Get(), L"CSV"));
    EXPECT_NE(csv.find("\"say \"\"hi\"\", ok\""), std::string::npos) << csv;

    const std::string html = Terminated<char>(Rendered(data.Get(), L"HTML Format"));
    EXPECT_EQ(html.rfind("Version:", 0), 0u) << "the description comes first";
    const std::size_t startHtml = HtmlOffset(html, "StartHTML");
    const std::size_t endHtml = HtmlOffset(html, "EndHTML");
    const std::size_t startFragment = HtmlOffset(html, "StartFragment");
    const std::size_t endFragment = HtmlOffset(html, "EndFragment");
    EXPECT_EQ(endHtml, html.size());
    EXPECT_EQ(html.compare(startHtml, 2, "<!"), 0);
    ASSERT_LE(startFragment, endFragment);
    ASSERT_LE(endFragment, html.size());
    EXPECT_EQ(html.rfind("<!--StartFragment-->", startFragment), startFragment - 20);
    EXPECT_EQ(html.compare(endFragment, 18, "<!--EndFragment-->"), 0);
    const std::string fragment = html.substr(startFragment, endFragment - startFragment);
    EXPECT_NE(fragment.find("a&amp;b&lt;c&gt;"), std::string::npos) << fragment;
    EXPECT_NE(fragment.find("&quot;hi&quot;"), std::string::npos) << fragment;
    EXPECT_EQ(fragment.find("<c>"), std::string::npos) << "cell markup is escaped";

    for (const wchar_t* rtfName : {L"Rich Text Format", L"Rich Text Format Without Objects"}) {
        const std::string rtf = Terminated<char>(Rendered(data.Get(), rtfName));
        EXPECT_EQ(rtf.rfind("{\\rtf1", 0), 0u);
        int depth = 0;
        for (std::size_t i = 0; i < rtf.size(); ++i) {
            if (rtf[i] == '\\')
                ++i; // an escaped character or a control word's first letter
            else if (rtf[i] == '{')
                ++depth;
            else if (rtf[i] == '}' && --depth == 0) {
                EXPECT_EQ(i + 1, rtf.size()) << "one group";
            }
        }
        EXPECT_EQ(depth, 0) << "balanced braces";
        EXPECT_NE(rtf.find("\\u123\\'3f"), std::string::npos) << "a brace as a character";
        EXPECT_EQ(rtf.find("br{a}"), std::string::npos);
    }
}

} // namespace
} // namespace vtree_test
