#include "framework/ExceptionBoundary.h"
#include "framework/Interfaces.h"

#include "TestThread.h"

#include <gtest/gtest.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace {

// Two levels, as the text toolkit's interfaces extend each other, and one the objects lack.
struct IShape : IInterface {
    INTERFACE_ID(IShape, IInterface, "{6A1C2E3D-0B4F-4C5A-9D8E-7F6A5B4C3D2E}")
    virtual int STDMETHODCALLTYPE Sides() = 0;
};

struct ISolid : IShape {
    INTERFACE_ID(ISolid, IShape, "{0F1E2D3C-4B5A-4978-8695-A4B3C2D1E0F9}")
    virtual int STDMETHODCALLTYPE Faces() = 0;
};

struct IColored : IInterface {
    INTERFACE_ID(IColored, IInterface, "{11223344-5566-4778-899A-ABBCCDDEEFF0}")
    virtual int STDMETHODCALLTYPE Color() = 0;
};

class TCube : public TImplements<TInterfacedObject, ISolid> {
    CLASS_INFO(TCube, TInterfacedObject)
public:
    explicit TCube(std::vector<std::string>* log) : FLog(log) {}
    ~TCube() override { FLog->push_back("destructor"); }
    void BeforeDestruction() override { FLog->push_back("BeforeDestruction"); }

    int STDMETHODCALLTYPE Sides() override { return 4; }
    int STDMETHODCALLTYPE Faces() override { return 6; }

private:
    std::vector<std::string>* FLog;
};

// A descendant that adds an interface to those its base answers.
class TColoredCube : public TImplements<TCube, IColored> {
public:
    using TImplements::TImplements;
    int STDMETHODCALLTYPE Color() override { return 0xFF; }
};

// The identity of whatever object an interface pointer belongs to.
void* Identity(IUnknown* object) {
    void* identity = nullptr;
    EXPECT_EQ(object->QueryInterface(IID_IUnknown, &identity), S_OK);
    object->Release();
    static_cast<IUnknown*>(identity)->Release();
    return identity;
}

} // namespace

TEST(Interfaces, IdentifiersComeFromTheirText) {
    const TGUID& solid = IIDOf<ISolid>();
    EXPECT_EQ(solid.Data1, 0x0F1E2D3Cu);
    EXPECT_EQ(solid.Data2, 0x4B5A);
    EXPECT_EQ(solid.Data3, 0x4978);
    EXPECT_EQ(solid.Data4[0], 0x86);
    EXPECT_EQ(solid.Data4[1], 0x95);
    EXPECT_EQ(solid.Data4[7], 0xF9);
    EXPECT_TRUE(IIDOf<IInterface>() == IID_IUnknown);
    EXPECT_TRUE(IIDOf<IDataObject>() == IID_IDataObject) << "the platform's own interfaces";
    EXPECT_FALSE(IIDOf<IShape>() == IIDOf<ISolid>());
}

TEST(Interfaces, TheLastReferenceFreesTheObjectThroughFree) {
    std::vector<std::string> log;
    auto* cube = new TCube(&log);
    EXPECT_EQ(cube->RefCount(), 0);
    {
        TComPtr<ISolid> first(cube);
        EXPECT_EQ(cube->RefCount(), 1);
        TComPtr<ISolid> second = first;
        TComPtr<ISolid> third = std::move(second);
        EXPECT_FALSE(second);
        EXPECT_EQ(cube->RefCount(), 2);
        TComPtr<IShape> widened = third;
        EXPECT_EQ(widened->Sides(), 4);
        EXPECT_EQ(cube->RefCount(), 3);
        first = nullptr;
        widened.Reset();
        EXPECT_EQ(cube->RefCount(), 1);
        EXPECT_TRUE(log.empty());
    }
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeDestruction", "destructor"}));
}

TEST(Interfaces, QueryInterfaceAnswersEachLevelOfTheHierarchy) {
    std::vector<std::string> log;
    TComPtr<ISolid> solid(new TCube(&log));

    TComPtr<IShape> shape;
    ASSERT_EQ(solid->QueryInterface(IIDOf<IShape>(), reinterpret_cast<void**>(shape.Put())), S_OK);
    EXPECT_EQ(shape->Sides(), 4);
    EXPECT_EQ(shape.Get(), static_cast<IShape*>(solid.Get()));

    TComPtr<ISolid> again;
    ASSERT_TRUE(Supports(shape, again));
    EXPECT_EQ(again->Faces(), 6);
    EXPECT_EQ(static_cast<TCube*>(solid.Get())->RefCount(), 3);

    shape->AddRef();
    solid->AddRef();
    EXPECT_EQ(Identity(shape.Get()), Identity(solid.Get())) << "one IUnknown per object";

    shape.Reset();
    again.Reset();
    solid.Reset();
    EXPECT_EQ(log.size(), 2u) << "the object outlived its references";
}

TEST(Interfaces, AnUnknownIdentifierGivesNoInterface) {
    std::vector<std::string> log;
    TComPtr<ISolid> solid(new TCube(&log));
    void* out = &log;
    EXPECT_EQ(solid->QueryInterface(IIDOf<IColored>(), &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(solid->QueryInterface(IID_IDataObject, &out), E_NOINTERFACE);
    EXPECT_EQ(solid->QueryInterface(IIDOf<ISolid>(), nullptr), E_POINTER);
    EXPECT_EQ(static_cast<TCube*>(solid.Get())->RefCount(), 1)
        << "a refused query took a reference";

    TComPtr<IColored> colored;
    EXPECT_FALSE(Supports(solid, colored));
    EXPECT_FALSE(colored);
}

TEST(Interfaces, DescendantsAnswerTheirBasesInterfacesToo) {
    std::vector<std::string> log;
    TComPtr<IColored> colored(new TColoredCube(&log));
    TComPtr<ISolid> solid;
    TComPtr<IShape> shape;
    ASSERT_TRUE(Supports(colored, solid));
    ASSERT_TRUE(Supports(colored, shape));
    EXPECT_EQ(colored->Color(), 0xFF);
    EXPECT_EQ(solid->Faces(), 6);
    colored->AddRef();
    solid->AddRef();
    EXPECT_EQ(Identity(colored.Get()), Identity(solid.Get()));
}

TEST(Interfaces, SupportsOnAnObjectNobodyHoldsLeavesItAlive) {
    std::vector<std::string> log;
    auto* cube = new TCube(&log);
    EXPECT_TRUE(Supports(cube, IIDOf<IShape>()));
    EXPECT_FALSE(Supports(cube, IIDOf<IColored>()));
    EXPECT_TRUE(Supports(static_cast<TObject*>(cube), IIDOf<ISolid>()));
    EXPECT_EQ(cube->RefCount(), 0);
    EXPECT_TRUE(log.empty());

    TPersistent plain;
    EXPECT_FALSE(Supports(&plain, IIDOf<IInterface>()));

    TComPtr<IShape> shape;
    ASSERT_TRUE(Supports(cube, shape));
    EXPECT_EQ(cube->RefCount(), 1);
    shape.Reset();
    EXPECT_EQ(log.size(), 2u);
}

TEST(Interfaces, ReferencesTakenOnTwoThreadsAtOnceAreCounted) {
    std::vector<std::string> log;
    TComPtr<ISolid> held(new TCube(&log));
    auto churn = [](TInterfacedObject* object) {
        for (int i = 0; i < 100000; ++i) {
            object->AddRef();
            object->AddRef();
            object->Release();
            object->Release();
        }
    };
    auto* cube = static_cast<TCube*>(held.Get());
    {
        TTestThread a([=] { churn(cube); });
        TTestThread b([=] { churn(cube); });
    }
    EXPECT_EQ(cube->RefCount(), 1);
    EXPECT_TRUE(log.empty());
    held.Reset();
    EXPECT_EQ(log.size(), 2u);
}
