// TsCustomComboBox: the section is named by the constructor; a removed skin re-creates the
// window (the skin's owner-draw look does not survive in it).
#include "skin/controls/sComboBox.h"

TsCustomComboBox::TsCustomComboBox(TComponent* AOwner)
    : TsSkinned<TCustomComboBox>(AOwner, 3, true) {
    if (FCommonData->SkinSection().empty()) FCommonData->SetSkinSection(L"COMBOBOX");
}

bool TsCustomComboBox::SkinCommandDone(TMessage& Message) {
    const bool removed = SkinCommand(Message) == SKCMD_SKINREMOVED &&
                         FromOwnManager(Message, FCommonData.get()) &&
                         !ComponentState().Contains(csDestroying);
    if (!TsSkinned<TCustomComboBox>::SkinCommandDone(Message)) return false;
    if (removed && HandleAllocated()) RecreateWnd();
    return true;
}
