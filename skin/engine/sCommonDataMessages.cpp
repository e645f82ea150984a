// The skin link's common answers to the skin commands and the message bookkeeping that every
// skinned control runs before its inherited window procedure. Without a skin the answers are
// those of a plain control: no section (command 26 answers 0), the owner's colour (21), a plain
// background (36 bit 0).
#include "skin/engine/sCommonData.h"

#include "framework/Application.h"
#include "skin/engine/sMessageUtils.h"

namespace {

bool OwnManager(const TMessage& Message, const TsCommonData* Data) {
    TsSkinManager* manager = Data->SkinManager();
    return manager && Message.LParam == reinterpret_cast<LPARAM>(manager);
}

void SkinRemoved(TsCommonData* Data) {
    Data->SkinIndex = -1;
    Data->BorderIndex = -1;
    Data->SetUpdating(true);
    Data->FreeCacheBmp();
    Data->CtrlSkinState = 1;
}

LRESULT BackgroundColour(const TsCommonData* Data) {
    return Data->FOwnerControl ? static_cast<LRESULT>(ColorToRGB(Data->FOwnerControl->Color())) : 0;
}

// The commands whose answer is a flag of the link.
bool AnswerQuery(TMessage& Message, TsCommonData* Data) {
    switch (SkinCommandOf(Message.WParam)) {
    case SKCMD_QUERYUPDATING: Message.Result = Data->BGChanged || Data->Updating(); return true;
    case SKCMD_QUERYHALFVISIBLE: Message.Result = Data->HalfVisible; return true;
    case SKCMD_QUERYTEXTURED:
        Message.Result = Data->Skinned() && Data->RepaintIfMoved();
        return true;
    case SKCMD_GETBGCOLOR: Message.Result = BackgroundColour(Data); return true;
    case SKCMD_GETSKININDEX: Message.Result = Data->SkinIndex + 1; return true;
    case SKCMD_CTRLSTATE: Message.Result = Data->CtrlSkinState; return true;
    case SKCMD_GETAPPLICATION: Message.Result = reinterpret_cast<LRESULT>(Application); return true;
    case SKCMD_ISSKINNED: Message.Result = 1; return true;
    default: return false;
    }
}

} // namespace

bool HandleSkinCommand(TMessage& Message, TsCommonData* Data) {
    if (AnswerQuery(Message, Data)) return true;
    const WORD parameter = SkinParameterOf(Message.WParam);
    switch (SkinCommandOf(Message.WParam)) {
    case SKCMD_SKINLOADED:
        if (OwnManager(Message, Data)) Data->UpdateIndexes();
        return false;
    case SKCMD_SKINREMOVED:
        if (OwnManager(Message, Data)) SkinRemoved(Data);
        return false;
    case SKCMD_REPAINT:
        if (!OwnManager(Message, Data)) return false;
        Data->UpdateIndexes();
        Data->BGChanged = true;
        Data->SetUpdating(false);
        return false;
    case SKCMD_SETUPDATING: Data->SetUpdating(parameter == 1); return false;
    case SKCMD_SETURGENT: Data->UrgentPainting = parameter == 1; return false;
    case SKCMD_MARKBGCHANGED: Data->BGChanged = true; return false;
    case SKCMD_CHECKMOVED:
        Data->BGChanged = Data->BGChanged || Data->RepaintIfMoved();
        return false;
    case SKCMD_MARKHALFVISIBLE: Data->HalfVisible = true; return false;
    default: return false;
    }
}

void HandleSkinnedMessage(TMessage& Message, TsCommonData* Data) {
    switch (Message.Msg) {
    case SM_ALPHACMD: HandleSkinCommand(Message, Data); break;
    case CM_MOUSEENTER: Data->FMouseAbove = true; break;
    case CM_MOUSELEAVE: Data->FMouseAbove = false; break;
    case WM_SETFOCUS:
    case CM_ENTER: Data->FFocused = true; break;
    case WM_KILLFOCUS:
    case CM_EXIT: Data->FFocused = false; break;
    case WM_MOVE: Data->BGChanged = Data->BGChanged || Data->RepaintIfMoved(); break;
    case WM_SIZE:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
    case CM_TEXTCHANGED: Data->BGChanged = true; break;
    default: break;
    }
}

bool BgNeedsCache(const TsCommonData* Data) {
    return (Data->CtrlSkinState & 1) == 0 || IsHotState(Data) || FormAnimating;
}

bool IsHotState(const TsCommonData* Data) {
    TControl* owner = Data->FOwnerControl;
    if (!owner || !owner->Enabled()) return false;
    const TComponentState state = owner->ComponentState();
    if (state.Contains(csDesigning) || state.Contains(csDestroying)) return false;
    return Data->FFocused || Data->FMouseAbove;
}
