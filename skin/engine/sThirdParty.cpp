// Defaults of the class-name lists and the animation options.
#include "skin/engine/sThirdParty.h"

namespace {

struct TKind {
    const wchar_t* Caption;
    const wchar_t* Default;
};

// By kind index.
constexpr TKind Kinds[ThirdKindCount] = {
    {L"Edit", L"TEdit\r\nTMemo\r\nTMaskEdit\r\nTLabeledEdit\r\nTHotKey\r\nTListBox\r\n"
              L"TCheckListBox\r\nTRichEdit\r\nTDateTimePicker\r\n"},
    {L"Button", L"TButton\r\n"},
    {L"BitBtn", L"TBitBtn\r\n"},
    {L"CheckBox", L"TCheckBox\r\nTRadioButton\r\nTGroupButton\r\n"},
    {L"ComboBox", L"TComboBox\r\nTColorBox\r\n"},
    {L"Grid", L"TStringGrid\r\nTDrawGrid\r\n"},
    {L"GroupBox", L"TGroupBox\r\nTRadioGroup\r\n"},
    {L"ListView", L"TListView\r\n"},
    {L"Panel", L"TPanel\r\n"},
    {L"TreeView", L"TTreeView\r\n"},
    {L"wwEdit", L" "},
    {L"GridEh", L" "},
    {L"VirtualTree", L" "},
    {L"PageControl", L"TPageControl\r\n"},
    {L"TabControl", L"TTabControl\r\n"},
    {L"ToolBar", L"TToolBar\r\n"},
    {L"StatusBar", L"TStatusBar\r\n"},
    {L"SpeedButton", L"TSpeedButton\r\n"},
};

} // namespace

const wchar_t* ThirdKindCaption(int Index) { return Kinds[Index].Caption; }
const wchar_t* ThirdKindDefault(int Index) { return Kinds[Index].Default; }

TacAnimEffects::TacAnimEffects(TsSkinManager* AManager)
    : Manager(AManager), FButtons(new TacBtnEffects()), FDialogShow(new TacDialogShow()),
      FFormShow(new TacFormShow()), FSkinChanging(new TacSkinChanging()),
      FPageChange(new TacPageChange()) {
    FButtons->Manager = AManager;
}

TacAnimEffects::~TacAnimEffects() {
    FPageChange->Free();
    FSkinChanging->Free();
    FFormShow->Free();
    FDialogShow->Free();
    FButtons->Free();
}
