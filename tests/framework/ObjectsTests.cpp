#include "framework/Events.h"
#include "framework/Objects.h"

#include <gtest/gtest.h>

namespace {

class TShape : public TPersistent {
    CLASS_INFO(TShape, TPersistent)
public:
    int Sides = 0;
    void Assign(TPersistent* source) override {
        if (auto* shape = dynamic_cast<TShape*>(source)) {
            Sides = shape->Sides;
            return;
        }
        TPersistent::Assign(source);
    }
};

class TSquare : public TShape {
    CLASS_INFO(TSquare, TShape)
public:
    TSquare() { Sides = 4; }
};

class TStranger : public TPersistent {
    CLASS_INFO(TStranger, TPersistent)
};

struct Counter {
    int Calls = 0;
    void Bump(TObject*) { ++Calls; }
    void Other(TObject*) { Calls += 10; }
};

} // namespace

TEST(Objects, ClassNamesAndInheritance) {
    TSquare square;
    EXPECT_EQ(square.ClassName(), L"TSquare");
    EXPECT_TRUE(square.InheritsFrom(TShape::StaticClass()));
    EXPECT_TRUE(square.InheritsFrom(TObject::StaticClass()));
    EXPECT_FALSE(square.InheritsFrom(TStranger::StaticClass()));
}

TEST(Objects, ClassReferenceCreatesTheMostDerivedClass) {
    TClass klass = TSquare::StaticClass();
    TObject* made = CreateInstance(klass);
    EXPECT_EQ(made->ClassName(), L"TSquare");
    EXPECT_EQ(static_cast<TShape*>(made)->Sides, 4);
    made->Free();
    EXPECT_THROW(CreateInstance(TPersistent::StaticClass()->Parent), EAbstractError);
}

TEST(Objects, AssignBetweenUnrelatedClassesNamesBoth) {
    TShape shape;
    TStranger stranger;
    try {
        shape.Assign(&stranger);
        FAIL() << "assign did not raise";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), L"Cannot assign a TStranger to a TShape");
    }
    TSquare square;
    shape.Assign(&square);
    EXPECT_EQ(shape.Sides, 4);
}

TEST(Events, BoundMethodsCompareByObjectAndMethod) {
    Counter a, b;
    TNotifyEvent bumpA(&a, &Counter::Bump), bumpA2(&a, &Counter::Bump);
    TNotifyEvent bumpB(&b, &Counter::Bump), otherA(&a, &Counter::Other);
    EXPECT_EQ(bumpA, bumpA2);
    EXPECT_FALSE(bumpA == bumpB);
    EXPECT_FALSE(bumpA == otherA);
    EXPECT_FALSE(bumpA == TNotifyEvent());

    TNotifyEvent saved = bumpA;
    saved(nullptr);
    otherA(nullptr);
    EXPECT_EQ(a.Calls, 11);
    TNotifyEvent()(nullptr); // an empty event does nothing
}

#include "framework/ExceptionBoundary.h"

namespace {
std::exception_ptr LastReported;
void Remember(std::exception_ptr error) noexcept { LastReported = error; }
} // namespace

TEST(ExceptionBoundary, StopsTheExceptionAndHandsItToTheSink) {
    TBoundaryExceptionSink previous = SetBoundaryExceptionSink(&Remember);
    const int answer = GuardBoundary([]() -> int { throw EConvertError(L"bad"); }, -1);
    SetBoundaryExceptionSink(previous);
    EXPECT_EQ(answer, -1);
    ASSERT_TRUE(LastReported);
    EXPECT_THROW(std::rethrow_exception(LastReported), EConvertError);
}
