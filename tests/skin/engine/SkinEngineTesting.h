// Helpers of the skin engine tests: where the generated skins are, a manager set up to read one,
// and a dump of every table a load fills, to compare loads from different sources.
#pragma once

#include "SkinGenConstants.h"
#include "framework/ModuleInit.h"
#include "skin/engine/sSkinManager.h"

#include <gtest/gtest.h>

#include <string>

// The folder the skin generator wrote into, as a full path with a trailing "\".
UnicodeString GeneratedSkins();
UnicodeString FolderSkins();  // folders\ : one folder per skin
UnicodeString PackedSkins();  // packed\ : one archive per skin
UnicodeString HostileSkins(); // hostile\ : archives a reader must refuse

// Every value a load puts into the manager's tables, one line per record; the skin path (which
// names the source) is left out. Own bitmaps and the master bitmap appear with their size and a
// hash of their pixels.
std::wstring TableDump(TsSkinManager& Manager);

// A manager made and freed around each test, with the framework started for it.
class SkinManagerTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // SkinDirectory := Directory, then SkinName := Name (the load).
    void Load(const UnicodeString& Directory, const UnicodeString& Name);
    // The flat test skin, then Sections (INI text) as the manager's common sections.
    void LoadFlatWith(const wchar_t* Sections);
    int Section(const wchar_t* Name) const { return Manager->GetSkinIndex(Name); }
    const TsGeneralData& Data(const wchar_t* Name) const;
    const TsMaskData& Image(const wchar_t* Section, const wchar_t* Key) const;

    TsSkinManager* Manager = nullptr;

private:
    TModuleEntry FFramework = FrameworkModule();
};

// A bitmap's size and pixel hash: "w x h @hash".
std::wstring BitmapSignature(TBitmap* Bitmap);
