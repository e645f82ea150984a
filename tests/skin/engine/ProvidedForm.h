// A form with a provider of its own, for the tests of what the skin engine asks of a form's
// provider (the redraw lock, the fade-in): it answers command 4 with itself, notes every request
// in Events and answers with the sizes the test gives it.
#pragma once

#include "framework/Forms.h"
#include "skin/engine/sCommonData.h"

#include <functional>
#include <string>
#include <vector>

class TProvidedForm : public TForm, public TacFormProviderLink {
    CLASS_INFO(TProvidedForm, TForm)
public:
    explicit TProvidedForm(TComponent* Owner) : TForm(Owner), Link(new TsCommonData(this, false)) {}
    ~TProvidedForm() override { delete Link; }
    TsCommonData* ProviderSkinData() const override { return Link; }
    void SetFormAnimating(bool Value) override { Events.push_back(Value ? L"animating" : L"done"); }
    bool DrawsNonClientArea() const override { return true; }
    void RefreshFormRegion() override { Events.push_back(L"region"); }
    HRGN MakeFormRegion() override {
        Events.push_back(L"form region");
        return CreateRectRgn(0, 0, Width(), Height());
    }
    HWND ExtendedBorderWindow() const override { return Borders; }
    TacExtBorderGeometry ExtendedBorderGeometry() const override { return Geometry; }
    void RefreshExtendedBorderRegion() override { Events.push_back(L"border region"); }
    void UpdateExtendedBorders(Byte Alpha) override {
        Events.push_back(L"borders " + std::to_wstring(Alpha));
    }
    TSize PrepareNonClientCache() override {
        Events.push_back(L"cache");
        return CacheSize;
    }
    TPoint ClientOffset() const override { return Offset; }

    TsCommonData* Link;
    std::vector<std::wstring> Events;
    HWND Borders = nullptr;
    TacExtBorderGeometry Geometry;
    TSize CacheSize{0, 0};
    TPoint Offset{0, 0};
    // Called as the form may redraw again: a fade still holds its windows then.
    std::function<void()> OnRedrawOn;

protected:
    void WndProc(TMessage& Message) override {
        if (Message.Msg == SM_ALPHACMD && SkinCommandOf(Message.WParam) == SKCMD_GETPROVIDER) {
            Message.Result = reinterpret_cast<LRESULT>(static_cast<TacFormProviderLink*>(this));
            return;
        }
        if (Message.Msg == WM_SETREDRAW) {
            Events.push_back(Message.WParam ? L"redraw on" : L"redraw off");
            if (Message.WParam && OnRedrawOn) OnRedrawOn();
        }
        TForm::WndProc(Message);
    }
};
