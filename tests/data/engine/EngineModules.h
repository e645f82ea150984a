// Test fixture: runs the data engine's module start-ups a test needs and their shutdowns, so
// that no test depends on another's leftovers.
#pragma once

#include "framework/ModuleInit.h"

#include <gtest/gtest.h>

#include <vector>

class EngineModulesTest : public ::testing::Test {
protected:
    explicit EngineModulesTest(std::vector<TModuleEntry> modules) : FModules(std::move(modules)) {}
    void SetUp() override {
        for (const TModuleEntry& module : FModules)
            if (module.Initialize) module.Initialize();
    }
    void TearDown() override {
        for (auto module = FModules.rbegin(); module != FModules.rend(); ++module)
            if (module->Finalize) module->Finalize();
    }

private:
    std::vector<TModuleEntry> FModules;
};

// Frees a class-library object at the end of a scope.
template <class T> struct TOwned {
    T* Object;
    explicit TOwned(T* object) : Object(object) {}
    ~TOwned() { Object->Free(); }
    TOwned(const TOwned&) = delete;
    TOwned& operator=(const TOwned&) = delete;
    T* operator->() const { return Object; }
    T& operator*() const { return *Object; }
};
