#include "framework/TypInfo.h"
#include "framework/Forms.h"

#include "framework/Controls.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

enum TShapeKind { skSquare, skCircle, skStar };
enum TShapeOption { soFilled, soShadowed, soOutlined };
using TShapeOptions = TSet<TShapeOption>;
using TResizeEvent = TMethodEvent<void(TObject* Sender, int Size)>;

// A fixture class with a property of every kind.
class TShape : public TPersistent {
    CLASS_INFO(TShape, TPersistent)
public:
    TShape() : FFont(new TFont) {}
    ~TShape() override { FFont->Free(); }

    int Size() const { return FSize; }
    void SetSize(int value) { FSize = value; }
    int Area() const { return FSize * FSize; }
    TColor Color() const { return FColor; }
    void SetColor(TColor value) { FColor = value; }
    Byte Alpha() const { return FAlpha; }
    void SetAlpha(Byte value) { FAlpha = value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool value) { FVisible = value; }
    TShapeKind Kind() const { return FKind; }
    void SetKind(TShapeKind value) { FKind = value; }
    TShapeOptions Options() const { return FOptions; }
    void SetOptions(TShapeOptions value) { FOptions = value; }
    const UnicodeString& Label() const { return FLabel; }
    void SetLabel(const UnicodeString& value) { FLabel = value; }
    TFont* Font() const { return FFont; }

    TNotifyEvent OnChange;
    TResizeEvent OnResize;

private:
    int FSize = 0;
    TColor FColor = clWhite;
    Byte FAlpha = 255;
    bool FVisible = false;
    TShapeKind FKind = skSquare;
    TShapeOptions FOptions;
    UnicodeString FLabel;
    TFont* FFont;
};

// Inherits every property of TShape; its own "Size" (the diameter) is read-only.
class TRoundShape : public TShape {
    CLASS_INFO(TRoundShape, TShape)
public:
    int Radius = 0;
};

void RegisterShapes() {
    RegisterProperties(
        TPropertyTable<TShape>()
            .Add(L"Size", &TShape::Size, &TShape::SetSize)
            .Add(L"Area", &TShape::Area)
            .Add(L"Color", &TShape::Color, &TShape::SetColor)
            .Add(L"Alpha", &TShape::Alpha, &TShape::SetAlpha)
            .Add(L"Visible", &TShape::Visible, &TShape::SetVisible)
            .Add(L"Kind", &TShape::Kind, &TShape::SetKind, {L"skSquare", L"skCircle", L"skStar"})
            .Add(L"Options", &TShape::Options, &TShape::SetOptions,
                 {L"soFilled", L"soShadowed", L"soOutlined"})
            .Add(L"Label", &TShape::Label, &TShape::SetLabel)
            .Add(L"Font", &TShape::Font)
            .Add(L"OnChange", &TShape::OnChange)
            .Add(L"OnResize", &TShape::OnResize));
    RegisterProperties(TPropertyTable<TRoundShape>()
                           .Add(L"Radius", &TRoundShape::Radius)
                           .Add(L"Size", [](TRoundShape* shape) { return 2 * shape->Radius; }));
}

class TListener : public TObject {
public:
    void Changed(TObject* Sender) { LastSender = Sender; }
    void Resized(TObject*, int Size) { LastSize = Size; }
    TObject* LastSender = nullptr;
    int LastSize = 0;
};

template <class T> using TOwned = std::unique_ptr<T, graphics_detail::TFreeObject>;

class TypInfoTest : public ::testing::Test {
protected:
    TypInfoTest() { RegisterShapes(); }
    TOwned<TShape> Shape{new TShape};
    TOwned<TRoundShape> Round{new TRoundShape};
};

TEST_F(TypInfoTest, OrdinalAndColourValuesRoundTripByName) {
    const struct {
        const wchar_t* Name;
        Int64 Value;
    } cases[] = {{L"Size", -40}, {L"Color", clBtnFace}, {L"Color", clFuchsia}, {L"Alpha", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Value);
        SetOrdProp(Shape.get(), c.Name, c.Value);
        EXPECT_EQ(GetOrdProp(Shape.get(), c.Name), c.Value);
    }
    EXPECT_EQ(Shape->Color(), clFuchsia);
    EXPECT_EQ(Shape->Size(), -40);
    EXPECT_EQ(GetOrdProp(Shape.get(), L"Area"), 1600);
}

TEST_F(TypInfoTest, BooleansAndEnumerationsByValueName) {
    SetEnumProp(Shape.get(), L"Visible", L"True");
    EXPECT_TRUE(Shape->Visible());
    EXPECT_EQ(GetOrdProp(Shape.get(), L"Visible"), 1);
    SetOrdProp(Shape.get(), L"Visible", 0);
    EXPECT_EQ(GetEnumProp(Shape.get(), L"Visible"), L"False");

    SetEnumProp(Shape.get(), L"kind", L"SKSTAR"); // names are not case-sensitive
    EXPECT_EQ(Shape->Kind(), skStar);
    EXPECT_EQ(GetOrdProp(Shape.get(), L"Kind"), 2);
    SetOrdProp(Shape.get(), L"Kind", skCircle);
    EXPECT_EQ(GetEnumProp(Shape.get(), L"Kind"), L"skCircle");
}

TEST_F(TypInfoTest, SetsReadAndWrittenAsText) {
    const struct {
        const wchar_t* Text;
        TShapeOptions Expected;
        const wchar_t* Plain;
    } cases[] = {
        {L"soFilled,soOutlined", {soFilled, soOutlined}, L"soFilled,soOutlined"},
        {L"[soOutlined, soFilled]", {soFilled, soOutlined}, L"soFilled,soOutlined"},
        {L",soShadowed", {soShadowed}, L"soShadowed"}, // an element appended to an empty text
        {L"[]", {}, L""},
        {L"", {}, L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Text);
        Shape->SetOptions({soFilled, soShadowed, soOutlined});
        SetSetProp(Shape.get(), L"Options", c.Text);
        EXPECT_EQ(Shape->Options(), c.Expected);
        EXPECT_EQ(GetSetProp(Shape.get(), L"Options"), c.Plain);
        EXPECT_EQ(GetSetProp(Shape.get(), L"Options", true), L"[" + UnicodeString(c.Plain) + L"]");
    }
    Shape->SetOptions({soShadowed, soOutlined});
    EXPECT_EQ(GetOrdProp(Shape.get(), L"Options"), 6);
}

TEST_F(TypInfoTest, ObjectAndStringProperties) {
    EXPECT_EQ(GetObjectProp(Shape.get(), L"Font"), Shape->Font());
    SetStrProp(Shape.get(), L"Label", L"十字 label");
    EXPECT_EQ(Shape->Label(), L"十字 label");
    EXPECT_EQ(GetStrProp(Shape.get(), L"Label"), L"十字 label");
}

TEST_F(TypInfoTest, MethodPropertiesAssignQueryAndRestore) {
    TListener listener;
    EXPECT_FALSE(IsMethodAssigned(Shape.get(), L"OnChange"));

    SetMethodProp(Shape.get(), L"OnChange", TMethod(&listener, &TListener::Changed));
    EXPECT_TRUE(IsMethodAssigned(Shape.get(), L"OnChange"));
    Shape->OnChange(Shape.get());
    EXPECT_EQ(listener.LastSender, Shape.get());

    const TMethod saved = GetMethodProp(Shape.get(), L"OnChange");
    EXPECT_EQ(saved.Data(), &listener);
    EXPECT_TRUE(saved == TMethod(&listener, &TListener::Changed));
    SetMethodProp(Shape.get(), L"OnChange", TMethod());
    EXPECT_FALSE(Shape->OnChange.Assigned());
    SetMethodProp(Shape.get(), L"OnChange", saved);
    EXPECT_TRUE(Shape->OnChange == TNotifyEvent(&listener, &TListener::Changed));

    SetMethodProp(Shape.get(), L"OnResize", TMethod(&listener, &TListener::Resized));
    Shape->OnResize(Shape.get(), 12);
    EXPECT_EQ(listener.LastSize, 12);
}

TEST_F(TypInfoTest, HandlerOfAnotherEventTypeIsRefused) {
    TListener listener;
    EXPECT_THROW(SetMethodProp(Shape.get(), L"OnResize", TMethod(&listener, &TListener::Changed)),
                 EPropertyError);
    EXPECT_FALSE(Shape->OnResize.Assigned());
    EXPECT_THROW(TMethod(&listener, &TListener::Changed).As<TResizeEvent>(), EPropertyError);
}

TEST_F(TypInfoTest, DerivedClassFindsInheritedPropertiesAndItsOwnFirst) {
    SetOrdProp(Round.get(), L"Color", clRed);
    EXPECT_EQ(Round->Color(), clRed);
    SetSetProp(Round.get(), L"Options", L"soShadowed");
    EXPECT_EQ(Round->Options(), TShapeOptions{soShadowed});
    SetOrdProp(Round.get(), L"Radius", 7);
    EXPECT_EQ(Round->Radius, 7);
    EXPECT_FALSE(PropExists(Shape.get(), L"Radius"));

    // The derived class's own "Size" wins over its ancestor's: it is the read-only diameter.
    EXPECT_EQ(GetOrdProp(Round.get(), L"Size"), 14);
    EXPECT_THROW(SetOrdProp(Round.get(), L"Size", 1), EPropertyError);
    EXPECT_TRUE(GetPropInfo(TShape::StaticClass(), L"Size")->Writable());
}

TEST_F(TypInfoTest, UnknownNamesAndMisusesRaisePropertyErrors) {
    EXPECT_FALSE(PropExists(Shape.get(), L"Colour"));
    EXPECT_EQ(GetPropInfo(Shape.get(), L"Colour"), nullptr);
    EXPECT_FALSE(PropExists(nullptr, L"Color"));
    try {
        GetOrdProp(Shape.get(), L"Colour");
        ADD_FAILURE() << "no exception";
    } catch (const EPropertyError& e) {
        EXPECT_NE(e.Message().find(L"TShape"), UnicodeString::npos);
        EXPECT_NE(e.Message().find(L"Colour"), UnicodeString::npos);
    }
    EXPECT_THROW(GetOrdProp(nullptr, L"Size"), EPropertyError);
    EXPECT_THROW(GetStrProp(Shape.get(), L"Size"), EPropertyError); // wrong kind
    EXPECT_THROW(SetSetProp(Shape.get(), L"Kind", L"skStar"), EPropertyError);
    EXPECT_THROW(GetMethodProp(Shape.get(), L"Label"), EPropertyError);
    EXPECT_THROW(SetOrdProp(Shape.get(), L"Area", 4), EPropertyError); // read-only
}

TEST_F(TypInfoTest, BadElementNamesAndValuesLeaveThePropertyAlone) {
    Shape->SetKind(skCircle);
    Shape->SetOptions({soFilled});
    Shape->SetAlpha(9);
    const struct {
        const wchar_t* Label;
        void (*Write)(TShape*);
    } cases[] = {
        {L"unknown value", [](TShape* s) { SetEnumProp(s, L"Kind", L"skTriangle"); }},
        {L"value past the last", [](TShape* s) { SetOrdProp(s, L"Kind", 3); }},
        {L"negative value", [](TShape* s) { SetOrdProp(s, L"Kind", -1); }},
        {L"unknown element", [](TShape* s) { SetSetProp(s, L"Options", L"soFilled,soGlowing"); }},
        {L"open bracket", [](TShape* s) { SetSetProp(s, L"Options", L"[soShadowed"); }},
        {L"close bracket", [](TShape* s) { SetSetProp(s, L"Options", L"soShadowed]"); }},
        {L"bit past the last", [](TShape* s) { SetOrdProp(s, L"Options", 8); }},
        {L"integer too large", [](TShape* s) { SetOrdProp(s, L"Alpha", 256); }},
        {L"integer too small", [](TShape* s) { SetOrdProp(s, L"Alpha", -1); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.Label);
        EXPECT_THROW(c.Write(Shape.get()), EPropertyError);
    }
    EXPECT_EQ(Shape->Kind(), skCircle);
    EXPECT_EQ(Shape->Options(), TShapeOptions{soFilled});
    EXPECT_EQ(Shape->Alpha(), 9);
}

TEST_F(TypInfoTest, RegisteringAgainKeepsTheEntries) {
    PPropInfo before = GetPropInfo(TShape::StaticClass(), L"Kind");
    RegisterShapes();
    EXPECT_EQ(GetPropInfo(TShape::StaticClass(), L"Kind"), before);
    EXPECT_THROW(
        RegisterProperties(TPropertyTable<TShape>().Add(L"Bare", &TShape::Kind, &TShape::SetKind)),
        EPropertyError); // an enumeration needs its value names
    EXPECT_FALSE(PropExists(Shape.get(), L"Bare"));
}

TEST(TypInfo, LibraryControlsAndFontsAreRegistered) {
    TOwned<TCustomControl> control(new TCustomControl(nullptr));
    SetOrdProp(control.get(), L"Color", clRed);
    EXPECT_EQ(control->Color(), clRed);
    EXPECT_EQ(GetOrdProp(control.get(), L"ParentColor"), 0);
    SetEnumProp(control.get(), L"ParentFont", L"False");
    EXPECT_FALSE(control->ParentFont());
    SetStrProp(control.get(), L"Caption", L"Pane");
    EXPECT_EQ(control->Caption(), L"Pane");
    SetEnumProp(control.get(), L"BorderStyle", L"bsSingle");
    EXPECT_EQ(control->BorderStyle(), bsSingle);
    SetOrdProp(control.get(), L"Ctl3D", 0);
    EXPECT_FALSE(control->Ctl3D());

    TObject* font = GetObjectProp(control.get(), L"Font");
    ASSERT_EQ(font, control->Font());
    SetOrdProp(font, L"Color", clBtnText);
    EXPECT_EQ(control->Font()->Color(), clBtnText);

    TOwned<TGraphicControl> graphic(new TGraphicControl(nullptr));
    EXPECT_TRUE(PropExists(graphic.get(), L"Color"));
    EXPECT_FALSE(PropExists(graphic.get(), L"BorderStyle"));

    // A form's border style reaches the form's own setter, not the control's.
    TOwned<TForm> form(new TForm(nullptr));
    SetEnumProp(form.get(), L"BorderStyle", L"bsDialog");
    EXPECT_EQ(form->BorderStyle(), bsDialog);
    EXPECT_EQ(GetEnumProp(form.get(), L"BorderStyle"), L"bsDialog");
}

} // namespace
