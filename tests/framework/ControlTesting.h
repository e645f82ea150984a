// Helpers shared by the tests of controls: owned controls, a top-level host window for them,
// placing a child, reading a pixel of a 32-bit bitmap, and a fixture that starts the class
// library's module (screen and application) for each test, as a program does.
#pragma once

#include "framework/Controls.h"
#include "framework/ModuleInit.h"

#include "MessageLoopTesting.h"

#include <gtest/gtest.h>

#include <memory>

template <class T> using TOwned = std::unique_ptr<T, graphics_detail::TFreeObject>;

template <class T> TOwned<T> Make(TComponent* owner = nullptr) { return TOwned<T>(new T(owner)); }

// A hidden top-level window for controls to live on.
inline TOwned<TWinControl> MakeHost(int width = 300, int height = 200) {
    auto host = Make<TWinControl>();
    host->SetVisible(false);
    host->SetBounds(20, 20, width, height);
    return host;
}

// The same, shown: for focus rules and for system controls that draw only while visible.
inline TOwned<TWinControl> MakeVisibleHost() {
    auto host = MakeHost();
    host->SetVisible(true);
    return host;
}

// A child control placed on `parent`, freed with it.
template <class T> T* Place(TWinControl* parent, int left = 10, int top = 10) {
    auto* control = new T(parent);
    control->SetParent(parent);
    control->SetLeft(left);
    control->SetTop(top);
    return control;
}

// A pixel of a 32-bit bitmap.
inline TColor PixelAt(TBitmap& bitmap, int x, int y) {
    GdiFlush();
    const auto* pixel = static_cast<const Byte*>(bitmap.ScanLine(y)) + x * 4;
    return MakeColor(pixel[2], pixel[1], pixel[0]);
}

// The screen and application objects exist for each test, as in a program.
class TFrameworkTest : public testing::Test {
protected:
    void SetUp() override { FFramework.Initialize(); }
    void TearDown() override {
        FFramework.Finalize();
        DrainMessages();
    }

private:
    TModuleEntry FFramework = FrameworkModule();
};
