// The line list view `vt1`: four columns over the `ps` records of the shown area, the order of
// the clicked column (the handler alone decides it and never answers 0), the row colour by
// delay band, and the hand-over of the clicked line to the line box. Every freed node's record
// is finalised through the tree's finaliser hook, initialised or not.
#include "client/gui/ClientUi.h"
#include "client/gui/MainForm.h"

#include "client/AppShared.h"

#include "framework/Conversions.h"

namespace {

constexpr Integer UnmeasuredDelay = 37000000;

ps& Record(TBaseVirtualTree* tree, PVirtualNode node) { return *tree->GetNodeData<ps>(node); }

const UnicodeString& SortText(const ps& line, TColumnIndex column) {
    return column == 0 ? line.name : column == 2 ? line.onlinerate : line.l2tpstatus;
}

} // namespace

bool DelayBandColor(Integer delay, TColor& color) {
    if (delay < 0) return false;
    color = delay <= 200 ? 0x9BFFAA : delay <= 250 ? 0x96FFC8 : delay <= 300 ? 0x8CFFE1 : 0x8CFFF0;
    return true;
}

void Tfrmmain::BuildLineView() {
    // The window makes its tree after construction: it is built with Construct.
    vt1 = Construct<TVirtualStringTreeWindow>(this);
    vt1->SetParent(this);
    vt1->SetBounds(310, 78, 380, 285);
    TVTHeader* header = vt1->Header();
    // The delay column is wide enough for "Delay(ms)" beside the sort arrow it shows from the
    // start; the name column gives up the difference.
    for (int width : {140, 90, 70, 55}) header->Columns()->Add()->SetWidth(width);
    header->SetMainColumn(0);
    header->SetStyle(hsXPStyle);
    header->SetOptions(header->Options() +
                       TVTHeaderOptions{hoVisible, hoShowSortGlyphs, hoColumnResize, hoDrag});
    header->SetHeight(22);
    header->SetSortColumn(1);
    TBaseVirtualTree* tree = vt1->Tree();
    tree->SetDefaultNodeHeight(20);
    TCustomVirtualTreeOptions* options = tree->TreeOptions();
    options->SetPaintOptions(options->PaintOptions() + TVTPaintOptions{toShowHorzGridLines} -
                             TVTPaintOptions{toShowRoot, toShowButtons, toShowTreeLines});
    options->SetSelectionOptions({toFullRowSelect});
    options->SetAutoOptions(options->AutoOptions() - TVTAutoOptions{toAutoSort});
    vt1->StringTree()->OnGetText = TVSTGetTextEvent(this, &Tfrmmain::vt1GetText);
    tree->OnCompareNodes = TVTCompareEvent(this, &Tfrmmain::vt1CompareNodes);
    tree->OnFinalizeNode = TVTFreeNodeEvent(this, &Tfrmmain::vt1FreeNode);
    vt1->OnDrawText = TVTDrawTextEvent(this, &Tfrmmain::vt1DrawText);
    vt1->OnClick = TNotifyEvent(this, &Tfrmmain::vt1Click);
    vt1->OnDblClick = TNotifyEvent(this, &Tfrmmain::vt1Click);
    vt1->OnHeaderClick = TVTHeaderClickEvent(this, &Tfrmmain::vt1HeaderClick);
}

void Tfrmmain::vt1GetText(TBaseVirtualTree* Sender, PVirtualNode Node, TColumnIndex Column,
                          TVSTTextType, UnicodeString& CellText) {
    const ps& line = Record(Sender, Node);
    switch (Column) {
    case 0: CellText = line.name; break;
    case 1: CellText = line.delay; break;
    case 2: CellText = line.onlinerate; break;
    case 3: CellText = line.l2tpstatus; break;
    default: break;
    }
}

void Tfrmmain::vt1CompareNodes(TBaseVirtualTree* Sender, PVirtualNode Node1, PVirtualNode Node2,
                               TColumnIndex Column, Integer& Result) {
    TVTHeader* header = Sender->Header();
    if (Column != header->SortColumn()) return;
    const ps& first = Record(Sender, Node1);
    const ps& second = Record(Sender, Node2);
    const bool after = Column == 1 ? StrToIntDef(first.delay, UnmeasuredDelay) >
                                         StrToIntDef(second.delay, UnmeasuredDelay)
                                   : SortText(first, Column) > SortText(second, Column);
    const bool ascending = header->SortDirection() == sdAscending;
    Result = after == ascending ? 1 : -1;
}

void Tfrmmain::vt1DrawText(TVirtualTreeWindow* Sender, TCanvas* TargetCanvas, PVirtualNode Node,
                           TColumnIndex, const UnicodeString&, const TRect& CellRect,
                           bool& DefaultDraw) {
    const ps& line = Record(Sender->Tree(), Node);
    if (line.delay == L"NA") return;
    TColor color;
    if (DelayBandColor(StrToIntDef(line.delay, 0), color)) TargetCanvas->Brush()->SetColor(color);
    TargetCanvas->FillRect({CellRect.left - 4, CellRect.top, CellRect.right + 4, CellRect.bottom});
    DefaultDraw = true;
}

// A click released away from any column (NoColumn) sorts nothing.
void Tfrmmain::vt1HeaderClick(TVTHeader*, const TVTHeaderHitInfo& HitInfo) {
    if (HitInfo.Column < 0) return;
    TVTHeader* header = vt1->Header();
    header->SetSortColumn(HitInfo.Column);
    header->SetSortDirection(header->SortDirection() == sdAscending ? sdDescending : sdAscending);
    vt1->Tree()->SortTree(header->SortColumn(), sdAscending, true);
    RefreshUnderThreadMutex();
}

void Tfrmmain::vt1Click(TObject*) {
    try {
        PVirtualNode node = vt1->Tree()->FocusedNode();
        if (!node) {
            IPAddrTxt->SetItemIndex(0);
            return;
        }
        const UnicodeString& name = Record(vt1->Tree(), node).name;
        if (!name.empty()) IPAddrTxt->SetItemIndex(IPAddrTxt->Items()->IndexOf(name));
    } catch (const Exception&) {
        IPAddrTxt->SetItemIndex(0);
    }
}

void Tfrmmain::vt1FreeNode(TBaseVirtualTree* Sender, PVirtualNode Node) {
    Record(Sender, Node).~ps();
}
