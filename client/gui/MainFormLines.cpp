// The line list and the areas: the area boxes, the title items and the line box filled from
// `line_ini`, the remembered selection under HKLM "\SOFTWARE\dedirorer", the fill of the view
// with an area's lines, and the refresh from the menu. The title items are the frame bar's;
// each opens an empty frame, so that the bar keeps no more than its title buttons.
//
// A line's value is "encoded address,online rate,L2TP flag". A flag that is missing or not a
// decimal integer reads as "no L2TP" and the fill goes on: one odd line must not hide the rest
// of its area. A line whose address does not decode to an address, or whose name is blank, is
// damaged: it is left out of the line box and of the view alike, so it is never shown, pinged
// or dialled. A line without a value stays in the line box, where connecting to it reports the
// missing value.
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"

#include "client/AccountServerProtocol.h"
#include "client/AddressText.h"
#include "client/AppShared.h"
#include "client/ServerDecoders.h"

#include "framework/Conversions.h"
#include "framework/Registry.h"
#include "framework/StringLists.h"
#include "support/KitThreadPool/KitIni.h"

#include <new>

namespace {

// The frame under an opened title item: nothing, and no room.
class Temptyframe : public TFrame {
    CLASS_INFO(Temptyframe, TFrame)
public:
    using TFrame::TFrame;
};

bool HasTitleItem(const UnicodeString& area) {
    for (const wchar_t* excluded : {L"Route", L"海外加速", L"电信加速", L"网通加速"})
        if (area == excluded) return false;
    return true;
}

std::vector<UnicodeString> SplitFields(const UnicodeString& value) {
    std::vector<UnicodeString> fields;
    std::size_t start = 0;
    for (std::size_t comma; (comma = value.find(L',', start)) != UnicodeString::npos;
         start = comma + 1)
        fields.push_back(value.substr(start, comma - start));
    fields.push_back(value.substr(start));
    return fields;
}

bool IsDamagedLine(const UnicodeString& name, const UnicodeString& value) {
    if (Trim(name).empty()) return true;
    return !value.empty() && !IsLineAddress(DecodeLineAddress(value.substr(0, value.find(L','))));
}

UnicodeString L2tpText(const std::vector<UnicodeString>& fields) {
    Integer flag = 0;
    const bool supported = fields.size() > 2 && TryStrToInt(fields[2], flag) && flag == 1;
    return supported ? LangText(L"yes", L"支持") : LangText(L"-", L"不支持");
}

// The remembered index: -1 when the value is missing, empty or "-1"; otherwise its number
// (which raises when it is not one).
Integer RememberedIndex(TRegistry& registry, const wchar_t* name) {
    if (!registry.ValueExists(name)) return -1;
    const UnicodeString text = registry.ReadString(name);
    return text.empty() || text == L"-1" ? -1 : StrToInt(text);
}

// The selected entry's text; empty without a selection.
UnicodeString SelectedText(TsComboBox* box) {
    const int index = box->ItemIndex();
    return index < 0 ? UnicodeString() : box->Items()->Strings(index);
}

void SelectRemembered(TsComboBox* box, Integer index) {
    box->SetItemIndex(index < 0 ? 0 : index);
    if (index >= box->Items()->Count())
        throw EListError(L"The remembered index " + IntToStr(index) + L" is out of range");
}

} // namespace

void Tfrmmain::FillAreaLines(const UnicodeString& area) {
    std::unique_ptr<TStringList> keys(new TStringList());
    line_ini->ReadSection(area, keys.get());
    TBaseVirtualTree* tree = vt1->Tree();
    for (int i = 0; i < keys->Count(); ++i) {
        const UnicodeString key = keys->Strings(i);
        const UnicodeString value = line_ini->ReadString(area, key, L"");
        if (value.empty() || IsDamagedLine(key, value)) continue;
        const std::vector<UnicodeString> fields = SplitFields(value);
        PVirtualNode node = tree->AddChild(nullptr);
        ps* line = new (tree->GetNodeData(node)) ps();
        line->name = key;
        line->ip = DecodeLineAddress(fields[0]);
        line->delay = L"NA";
        if (fields.size() > 1) line->onlinerate = fields[1];
        line->l2tpstatus = L2tpText(fields);
    }
}

void Tfrmmain::FillLineBox(const UnicodeString& area) {
    IPAddrTxt->Items()->Clear();
    if (!line_ini) return;
    std::unique_ptr<TStringList> keys(new TStringList());
    line_ini->ReadSection(area, keys.get());
    for (int i = 0; i < keys->Count(); ++i) {
        const UnicodeString key = keys->Strings(i);
        if (!IsDamagedLine(key, line_ini->ReadString(area, key, L""))) IPAddrTxt->Items()->Add(key);
    }
}

bool Tfrmmain::RefuseWhileTesting() {
    if (!speed_running) return false;
    ShowNotice(LangText(L"please close bat speed", L"请先关闭测速"));
    return true;
}

void Tfrmmain::SetNormalFont(TsTitleItem* item) {
    if (!item) return;
    item->TitleButton->Font()->SetColor(clWindowText);
    item->TitleButton->Font()->SetStyle({});
}

// A refused change puts the box back on the area whose lines the line box and the view still
// hold: connecting reads the line from the box's area, and a box showing another area would
// look the line up where it is not.
void Tfrmmain::AreaTxt2Change(TObject*) {
    if (RefuseWhileTesting()) {
        AreaTxt2->SetItemIndex(FAreaShown);
        return;
    }
    FAreaShown = AreaTxt2->ItemIndex();
    SetNormalFont(_XZ);
    vt1->Tree()->Clear();
    const UnicodeString area = SelectedText(AreaTxt2);
    FillLineBox(area);
    if (IPAddrTxt->Items()->Count() == 0) return;
    FillAreaLines(area);
    IPAddrTxt->SetItemIndex(0);
}

void Tfrmmain::AreaTitleClick(TObject* Sender) {
    if (RefuseWhileTesting()) return;
    SetNormalFont(_XZ);
    vt1->Tree()->Clear();
    TsTitleItem* item = static_cast<TsTitleButton*>(Sender)->TitleItem;
    item->TitleButton->Font()->SetColor(0x008000);
    item->TitleButton->Font()->SetStyle({fsBold});
    _XZ = item;
    if (line_ini) FillAreaLines(item->Caption());
}

void Tfrmmain::AreaTitleCreateFrame(TObject*, TCustomFrame*& Frame) {
    Frame = Construct<Temptyframe>(sb);
    Frame->SetWidth(0);
    Frame->SetHeight(0);
}

TsTitleItem* Tfrmmain::AddTitleItem(const UnicodeString& caption) {
    TsTitleItem* item = sb->Items()->Add();
    item->OnCreateFrame = TCreateFrameEvent(this, &Tfrmmain::AreaTitleCreateFrame);
    item->OnClick = TNotifyEvent(this, &Tfrmmain::AreaTitleClick);
    item->SetCaption(caption);
    return item;
}

void Tfrmmain::AreaTxtChange(TObject*) {
    FillLineBox(SelectedText(AreaTxt));
    IPAddrTxt->SetItemIndex(0);
}

void Tfrmmain::LoadLineList() {
    AreaTxt2->Items()->Clear();
    AreaTxt->Items()->Clear();
    line_ini->ReadSections(AreaTxt2->Items());
    line_ini->ReadSections(AreaTxt->Items());
    FillLineBox(SelectedText(AreaTxt));
    sb->Items()->Clear();
    _XZ = _zz = nullptr;
    TStrings* areas = AreaTxt2->Items();
    for (int i = 0; i < areas->Count(); ++i) {
        if (!HasTitleItem(areas->Strings(i))) continue;
        TsTitleItem* item = AddTitleItem(areas->Strings(i));
        if (i == 0) _zz = _XZ = item;
    }
    TRegistry registry;
    registry.SetRootKey(HKEY_LOCAL_MACHINE);
    if (!registry.OpenKey(SelectionKey, true))
        throw ERegistryException(L"The key " + UnicodeString(SelectionKey) + L" cannot be opened");
    const Integer area = RememberedIndex(registry, L"AREACombobox2");
    SelectRemembered(AreaTxt, area);
    FillLineBox(SelectedText(AreaTxt));
    SelectRemembered(AreaTxt2, area);
    FAreaShown = AreaTxt2->ItemIndex();
    FillLineBox(SelectedText(AreaTxt2));
    SelectRemembered(IPAddrTxt, RememberedIndex(registry, L"IPCombobox2"));
    _zz = _XZ = AddTitleItem(SelectedText(AreaTxt2));
    com_game->Items()->Clear();
}

void Tfrmmain::N14Click(TObject*) {
    const UnicodeString reply = FetchLineList(TLineListUse::Refresh);
    Application->ProcessMessages();
    if (reply.empty()) {
        ShowPlainMessage(LangText(L"Unable to update the server list, please try again later",
                                  L"无法更新服务器列表，请稍后再试"));
        return;
    }
    TKitStreamIniFile* document = NewLineListDocument(reply);
    FreeAndNil(line_ini);
    line_ini = document;
    LoadLineList();
    AreaTxt2Change(AreaTxt2);
}

void Tfrmmain::SaveSelection() {
    try {
        TRegistry registry;
        registry.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!registry.OpenKey(SelectionKey, true)) return;
        registry.WriteString(L"AREACombobox2", IntToStr(AreaTxt2->ItemIndex()));
        registry.WriteString(L"IPCombobox2", IntToStr(IPAddrTxt->ItemIndex()));
    } catch (const Exception&) {
    }
}
