// The class library's own property tables: only the properties that skin code reads or writes by
// name on controls and fonts whose class it does not know (colours and fonts, whether they follow
// the parent, the caption and the frame). Other classes of the library list theirs with their
// module. The registry takes these in when it is made (framework/TypInfo.h).
#include "framework/TypInfo.h"

#include "framework/Controls.h"
#include "framework/Forms.h"

namespace {

template <class T> typinfo_detail::TClassProperties Entry(TPropertyTable<T>& table) {
    return {table.Class(), std::move(table.Properties())};
}

typinfo_detail::TClassProperties ControlProperties() {
    TPropertyTable<TControl> table;
    table.Add(L"Color", &TControl::Color, &TControl::SetColor)
        .Add(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Add(L"Font", &TControl::Font)
        .Add(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
        .Add(L"Caption", &TControl::Caption, &TControl::SetCaption);
    return Entry(table);
}

typinfo_detail::TClassProperties WinControlProperties() {
    TPropertyTable<TWinControl> table;
    table
        .Add(
            L"BorderStyle", &TWinControl::BorderStyle, &TWinControl::SetBorderStyle,
            {L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog", L"bsToolWindow", L"bsSizeToolWin"})
        .Add(L"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D);
    return Entry(table);
}

// A form's border style has its own setter (it remakes the window with the form's styles).
typinfo_detail::TClassProperties FormProperties() {
    TPropertyTable<TCustomForm> table;
    table.Add(
        L"BorderStyle", &TCustomForm::BorderStyle, &TCustomForm::SetBorderStyle,
        {L"bsNone", L"bsSingle", L"bsSizeable", L"bsDialog", L"bsToolWindow", L"bsSizeToolWin"});
    return Entry(table);
}

typinfo_detail::TClassProperties FontProperties() {
    TPropertyTable<TFont> table;
    table.Add(L"Color", &TFont::Color, &TFont::SetColor);
    return Entry(table);
}

} // namespace

std::vector<typinfo_detail::TClassProperties> typinfo_detail::FrameworkPropertyTables() {
    std::vector<TClassProperties> tables;
    tables.push_back(ControlProperties());
    tables.push_back(WinControlProperties());
    tables.push_back(FormProperties());
    tables.push_back(FontProperties());
    return tables;
}
