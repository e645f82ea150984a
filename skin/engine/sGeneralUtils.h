// Small routines the skin library uses everywhere: rectangles and numbers, words of a text,
// INI-style text as the skin options are read, paths, the system caption font, and published
// properties read and written by name. None keeps state.
#pragma once

#include "framework/Graphics.h"
#include "framework/Messages.h"
#include "framework/StringLists.h"
#include "skin/engine/sConst.h"

#include <bitset>
#include <initializer_list>

// A set of 8-bit characters (delimiters of words).
class TSysCharSet {
public:
    TSysCharSet(std::initializer_list<char> chars) {
        for (char c : chars) FBits.set(static_cast<Byte>(c));
    }
    bool Contains(Byte c) const { return FBits.test(c); }

private:
    std::bitset<256> FBits;
};

// ---- rectangles and numbers ------------------------------------------------------------------

// Right - Left (Bottom - Top); 0 instead of a negative span when NonNegative.
int RectSpanX(const TRect& R, bool NonNegative = false);
int RectSpanY(const TRect& R, bool NonNegative = false);
// R is not empty and overlaps P, edges exclusive.
bool RectsOverlap(const TRect& P, const TRect& R);
int ClampToByte(int V);
bool IsBetween(int V, int Min, int Max);
int LargerOf(int A, int B);
int SmallerOf(int A, int B);
int ChooseInt(bool Cond, int A, int B);
UnicodeString ChooseStr(bool Cond, const UnicodeString& A, const UnicodeString& B);
// A ready background: Bmp at (X, Y), no fill colour.
TCacheInfo CacheInfoFor(TBitmap* Bmp, int X, int Y);
TMessage BuildMessageRecord(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT Result = 0);

// ---- words (maximal runs of non-delimiters; positions 1-based) -------------------------------

// Codes up to 0x44F are delimiters when Delims holds their low byte: U+0120 counts as a blank.
bool IsDelimiterChar(wchar_t C, const TSysCharSet& Delims);
int NthWordPos(int N, const UnicodeString& S, const TSysCharSet& Delims);
int CountWords(const UnicodeString& S, const TSysCharSet& Delims);
// The same where only codes up to 0xFF can be delimiters.
int NthWordPosStrict(int N, const UnicodeString& S, const TSysCharSet& Delims);
int CountWordsStrict(const UnicodeString& S, const TSysCharSet& Delims);
// Word N by the strict rule; empty when S has fewer words.
UnicodeString ExtractNthWord(int N, const UnicodeString& S, const TSysCharSet& Delims);
UnicodeString StripChar(const UnicodeString& S, wchar_t Ch);
// Every Old replaced by New, left to right, without rescanning inserted text.
UnicodeString ReplaceAllText(const UnicodeString& S, const UnicodeString& Old,
                             const UnicodeString& New);

// ---- INI-style text --------------------------------------------------------------------------

// Sections gets one item per "[name]" line with a new string list (owned by the caller) of the
// lines after it; empty and ";" lines are skipped, lines before the first section dropped.
void ParseIniSections(const TStrings* Lines, TStrings* Sections);
UnicodeString ReadIniString(const TStrings* Sections, const UnicodeString& Section,
                            const UnicodeString& Key, const UnicodeString& Default);
// Decimal, "$" or "0x" hexadecimal; Default when the value is no integer.
int ReadIniInteger(const TStrings* Sections, const UnicodeString& Section, const UnicodeString& Key,
                   int Default);

// ---- paths and system ------------------------------------------------------------------------

// Ensures one trailing "\": a final "/" becomes "\", a drive letter gets ":\"; empty stays empty.
UnicodeString WithTrailingBackslash(const UnicodeString& Path);
// The folder of the running program, with its trailing separator.
UnicodeString AppDirectory();
// The shell's icon of an existing file (Flags as SHGetFileInfo takes them, SHGFI_ICON added);
// null when the file is missing, the shell has no icon, or the icon is empty. The caller frees it.
TIcon* FileIconOf(const UnicodeString& FileName, UINT Flags);
// Processes the application's messages at least once and until Ms milliseconds have passed.
void WaitProcessingMessages(unsigned Ms);
// The system caption font's height (lfHeight), 0 when the system does not say.
int SysCaptionFontHeight();
// A new font of the system caption font, 0 when the system does not say; the caller deletes it.
HFONT CreateSysCaptionFont();

// ---- published properties by name (nothing, or the default, when the class has none) -------
// (PropExists itself is the class library's.)

TObject* ReadObjectPropByName(TObject* Obj, const UnicodeString& Name);
Int64 ReadOrdPropByName(TObject* Obj, const UnicodeString& Name);
void WriteOrdPropByName(TObject* Obj, const UnicodeString& Name, Int64 Value);
// A set property holds the element of that exact enumeration name.
bool SetPropHasElement(TObject* Obj, const UnicodeString& PropName,
                       const UnicodeString& ElementName);
// Adds or removes an element through the set's text form (see the source for the text rules).
void ChangeSetPropElement(TObject* Obj, const UnicodeString& PropName,
                          const UnicodeString& ElementName, bool Add);

// ---- messages ---------------------------------------------------------------------------------

// Shows an error message box with Text. The box is drawn by ErrorMessageBox, which tests (and
// the skinned message boxes, once they exist) may replace.
using TErrorMessageBox = void (*)(const UnicodeString& Text);
extern TErrorMessageBox ErrorMessageBox;
void ShowErrorMessage(const UnicodeString& Text);
