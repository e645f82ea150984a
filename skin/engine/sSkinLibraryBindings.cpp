// The optional system functions of the skin library, bound by name at start-up and let go at
// shut-down (see sSkinLibrary.h). Each library has its own binder, so that each module entry
// releases what it bound and a test can give one library another name.
#include "skin/engine/sSkinLibrary.h"

#include "skin/engine/sAlphaGraph.h"
#include "skin/engine/sGradient.h"

TSetWindowThemeProc SetWindowThemeProc = nullptr;
TGetScrollBarInfoProc GetScrollBarInfoProc = nullptr;
TFlatSBSwitchProc InitializeFlatSBProc = nullptr;
TFlatSBSwitchProc UninitializeFlatSBProc = nullptr;

TLibraryBinder& OptionalLibrary(TOptionalLibrary Which) {
    static TLibraryBinder gradientFill(L"msimg32.dll"), theme(L"uxtheme"),
        scrollBars(L"user32.dll"), flatScrollBars(L"comctl32.dll"), layered(L"user32.dll");
    switch (Which) {
    case TOptionalLibrary::GradientFill: return gradientFill;
    case TOptionalLibrary::Theme: return theme;
    case TOptionalLibrary::ScrollBars: return scrollBars;
    case TOptionalLibrary::FlatScrollBars: return flatScrollBars;
    case TOptionalLibrary::Layered: break;
    }
    return layered;
}

namespace {

// A module entry that binds one library's functions at start-up and releases it at shut-down.
template <class Bind>
TModuleEntry BindingModule(const wchar_t* Name, TOptionalLibrary Which, Bind BindFunctions) {
    return {Name,
            {},
            [Which, BindFunctions] {
                TLibraryBinder& binder = OptionalLibrary(Which);
                if (binder.Load()) BindFunctions(binder);
            },
            [Which] { OptionalLibrary(Which).Unload(); }};
}

} // namespace

TModuleEntry ScrollBarFunctionsModule() {
    return {L"acSBUtils",
            {},
            [] {
                TLibraryBinder& user32 = OptionalLibrary(TOptionalLibrary::ScrollBars);
                if (user32.Load()) user32.Bind(GetScrollBarInfoProc, "GetScrollBarInfo");
                TLibraryBinder& comctl32 = OptionalLibrary(TOptionalLibrary::FlatScrollBars);
                if (comctl32.Load()) {
                    comctl32.Bind(UninitializeFlatSBProc, "UninitializeFlatSB");
                    comctl32.Bind(InitializeFlatSBProc, "InitializeFlatSB");
                }
            },
            [] {
                OptionalLibrary(TOptionalLibrary::ScrollBars).Unload();
                OptionalLibrary(TOptionalLibrary::FlatScrollBars).Unload();
            }};
}

TModuleEntry ThemeFunctionsModule() {
    return BindingModule(L"sVclUtils", TOptionalLibrary::Theme, [](TLibraryBinder& binder) {
        binder.Bind(SetWindowThemeProc, "SetWindowTheme");
    });
}

TModuleEntry LayeredFunctionsModule() {
    return BindingModule(L"sGraphUtils", TOptionalLibrary::Layered, [](TLibraryBinder& binder) {
        if (!UpdateLayeredWindowProc) binder.Bind(UpdateLayeredWindowProc, "UpdateLayeredWindow");
    });
}

TModuleEntry GradientFunctionsModule() {
    return BindingModule(L"sGradient", TOptionalLibrary::GradientFill, [](TLibraryBinder& binder) {
        binder.Bind(GradientFillProc, "GradientFill");
    });
}
