#include "framework/Graphics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

// A file in the temporary folder that is deleted when the test ends.
class TTempFile {
public:
    explicit TTempFile(const wchar_t* extension) {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        ::GetTempPathW(MAX_PATH, folder);
        ::GetTempFileNameW(folder, L"gfx", 0, name);
        ::DeleteFileW(name);
        FName = UnicodeString(name) + extension;
    }
    ~TTempFile() { ::DeleteFileW(FName.c_str()); }
    const UnicodeString& Name() const { return FName; }

private:
    UnicodeString FName;
};

std::vector<Byte> ReadBytes(const UnicodeString& fileName) {
    std::vector<Byte> data(4096);
    HANDLE file =
        ::CreateFileW(fileName.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    ::ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr);
    ::CloseHandle(file);
    data.resize(read);
    return data;
}

void WriteBytes(const UnicodeString& fileName, const std::vector<Byte>& data) {
    HANDLE file =
        ::CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    ::WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    ::CloseHandle(file);
}

// The bytes of an RCDATA resource of the test program.
std::vector<Byte> ResourceBytes(const wchar_t* name) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC resource = ::FindResourceW(module, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    const Byte* bytes =
        resource ? static_cast<const Byte*>(::LockResource(::LoadResource(module, resource)))
                 : nullptr;
    return bytes ? std::vector<Byte>(bytes, bytes + ::SizeofResource(module, resource))
                 : std::vector<Byte>();
}

template <class T> void Put(std::vector<Byte>& data, const T& value) {
    const Byte* bytes = reinterpret_cast<const Byte*>(&value);
    data.insert(data.end(), bytes, bytes + sizeof(T));
}

Byte* Row(TBitmap& bitmap, int y) { return static_cast<Byte*>(bitmap.ScanLine(y)); }

// A colour from the position, different for every pixel of a small bitmap.
TColor PatternColor(int x, int y) {
    return MakeColor(Byte(10 + x * 20), Byte(30 + y * 40), Byte(200 - x - y));
}

void PaintPattern(TBitmap& bitmap) {
    const int bytes = bitmap.PixelFormat() == pf32bit ? 4 : 3;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x) {
            const TColor color = PatternColor(x, y);
            Byte* pixel = Row(bitmap, y) + x * bytes;
            pixel[0] = GetBValue(color);
            pixel[1] = GetGValue(color);
            pixel[2] = GetRValue(color);
            if (bytes == 4) pixel[3] = Byte(x * 16 + y);
        }
}

int Channel(TColor color, int shift) { return (color >> shift) & 0xFF; }

// Counts the pixels of `rect` (clipped to the bitmap) whose colour is not `background`.
int CountChanged(TBitmap& bitmap, const TRect& rect, TColor background) {
    int changed = 0;
    for (int y = std::max<LONG>(rect.top, 0); y < std::min<LONG>(rect.bottom, bitmap.Height()); ++y)
        for (int x = std::max<LONG>(rect.left, 0); x < std::min<LONG>(rect.right, bitmap.Width());
             ++x)
            if (bitmap.Canvas()->Pixels(x, y) != background) ++changed;
    return changed;
}

// A graphic that only records what it was asked to load, to see which class the picture chose.
class TRecordingGraphic : public TGraphic {
    CLASS_INFO(TRecordingGraphic, TGraphic)
public:
    UnicodeString LoadedFrom;
    bool Empty() const override { return LoadedFrom.empty(); }
    int Width() const override { return 7; }
    int Height() const override { return 5; }
    void LoadFromFile(const UnicodeString& fileName) override { LoadedFrom = fileName; }

protected:
    void Draw(TCanvas*, const TRect&) override {}
};

} // namespace

// ---- colours ----------------------------------------------------------------------------------

TEST(Graphics, ColorToRGBResolvesSystemColoursAndKeepsOthers) {
    const struct {
        TColor Color;
        int Index;
    } system[] = {
        {clBtnFace, COLOR_BTNFACE},
        {clWindow, COLOR_WINDOW},
        {clWindowText, COLOR_WINDOWTEXT},
        {clHighlight, COLOR_HIGHLIGHT},
        {clHighlightText, COLOR_HIGHLIGHTTEXT},
        {clBtnShadow, COLOR_BTNSHADOW},
        {clGrayText, COLOR_GRAYTEXT},
        {clInfoBk, COLOR_INFOBK},
        {clMenuBar, COLOR_MENUBAR},
        {clScrollBar, COLOR_SCROLLBAR},
    };
    for (const auto& entry : system)
        EXPECT_EQ(ColorToRGB(entry.Color), static_cast<TColor>(::GetSysColor(entry.Index)))
            << entry.Index;
    EXPECT_EQ(static_cast<std::uint32_t>(clBtnFace), 0xFF00000Fu);

    for (TColor plain : {clBlack, clRed, clNavy, clWhite, MakeColor(1, 2, 3), clNone, clDefault})
        EXPECT_EQ(ColorToRGB(plain), plain) << plain;
    EXPECT_EQ(MakeColor(0x11, 0x22, 0x33), 0x332211);
}

// ---- bitmaps ----------------------------------------------------------------------------------

TEST(Graphics, ScanLineRowZeroIsTheTopRowOfTheCanvas) {
    for (TPixelFormat format : {pf24bit, pf32bit}) {
        TBitmap bitmap(5, 4, format);
        const int bytes = format == pf32bit ? 4 : 3;
        // Written through the scan line, read through the canvas.
        Byte* top = Row(bitmap, 0) + 2 * bytes;
        top[0] = 0x33; // blue
        top[1] = 0x22; // green
        top[2] = 0x11; // red
        EXPECT_EQ(bitmap.Canvas()->Pixels(2, 0), MakeColor(0x11, 0x22, 0x33)) << format;
        EXPECT_EQ(bitmap.Canvas()->Pixels(2, 3), clBlack) << format;
        // Written through the canvas, read through the scan line.
        bitmap.Canvas()->SetPixels(1, 3, MakeColor(0xA0, 0xB0, 0xC0));
        const Byte* bottom = Row(bitmap, 3) + 1 * bytes;
        EXPECT_EQ(bottom[0], 0xC0) << format;
        EXPECT_EQ(bottom[1], 0xB0) << format;
        EXPECT_EQ(bottom[2], 0xA0) << format;
        // Bottom-up storage: the top row lies last in memory.
        EXPECT_GT(Row(bitmap, 0), Row(bitmap, 3)) << format;
    }
    TBitmap bitmap(2, 2, pf24bit);
    EXPECT_THROW(bitmap.ScanLine(2), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.ScanLine(-1), EInvalidGraphicOperation);
}

TEST(Graphics, ConversionBetween24And32BitsKeepsEveryPixel) {
    TBitmap bitmap(3, 3, pf24bit);
    PaintPattern(bitmap);
    bitmap.SetPixelFormat(pf32bit);
    EXPECT_EQ(bitmap.PixelFormat(), pf32bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) {
            const Byte* pixel = Row(bitmap, y) + x * 4;
            EXPECT_EQ(MakeColor(pixel[2], pixel[1], pixel[0]), PatternColor(x, y)) << x << "," << y;
            EXPECT_EQ(pixel[3], 0) << "alpha of a converted pixel " << x << "," << y;
        }
    bitmap.SetPixelFormat(pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bitmap.Canvas()->Pixels(x, y), PatternColor(x, y)) << x << "," << y;
}

TEST(Graphics, ResizingKeepsTheTopLeftPart) {
    for (TPixelFormat format : {pf24bit, pf32bit, pfDevice}) {
        TBitmap bitmap(4, 4, format);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) bitmap.Canvas()->SetPixels(x, y, PatternColor(x, y));
        bitmap.SetSize(6, 3);
        EXPECT_EQ(bitmap.Width(), 6);
        EXPECT_EQ(bitmap.Height(), 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(bitmap.Canvas()->Pixels(x, y), PatternColor(x, y))
                    << format << ": " << x << "," << y;
        EXPECT_EQ(bitmap.Canvas()->Pixels(5, 0), clBlack) << format << ": new area";
        // The canvas follows the new image.
        bitmap.Canvas()->SetPixels(5, 2, clRed);
        EXPECT_EQ(bitmap.Canvas()->Pixels(5, 2), clRed) << format;
    }
    TBitmap bitmap;
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetWidth(3);
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetHeight(2);
    EXPECT_FALSE(bitmap.Empty());
    EXPECT_THROW(bitmap.SetSize(-1, 2), EInvalidGraphicOperation);
}

TEST(Graphics, AssignCopiesPixelsDeeplyAndReleaseHandleEmpties) {
    TBitmap source(3, 2, pf32bit);
    PaintPattern(source);
    source.SetTransparentColor(clLime);
    TBitmap copy;
    copy.Assign(&source);
    EXPECT_NE(copy.Handle(), source.Handle());
    EXPECT_EQ(copy.PixelFormat(), pf32bit);
    EXPECT_EQ(copy.TransparentColor(), clLime);
    EXPECT_EQ(std::memcmp(Row(copy, 1), Row(source, 1), 12), 0);
    copy.Canvas()->SetPixels(0, 0, clWhite);
    EXPECT_EQ(source.Canvas()->Pixels(0, 0), PatternColor(0, 0));

    TOwnedBitmap released(copy.ReleaseHandle());
    EXPECT_TRUE(released);
    EXPECT_TRUE(copy.Empty());
    EXPECT_EQ(copy.Width(), 0);
    copy.SetHandle(released.Release());
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.PixelFormat(), pf32bit);
    EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clWhite);
}

// ---- canvas drawing ---------------------------------------------------------------------------

TEST(Graphics, CanvasFillsAndOutlinesWithBrushAndPen) {
    TBitmap bitmap(20, 20, pf24bit);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(clYellow);
    canvas->FillRect(TRect(0, 0, 20, 20));
    EXPECT_EQ(canvas->Pixels(0, 0), clYellow);
    EXPECT_EQ(canvas->Pixels(19, 19), clYellow);

    canvas->Pen()->SetColor(clRed);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(2, 3, 10, 12);
    EXPECT_EQ(canvas->Pixels(2, 3), clRed) << "top-left corner";
    EXPECT_EQ(canvas->Pixels(9, 11), clRed) << "bottom-right corner (right and bottom exclusive)";
    EXPECT_EQ(canvas->Pixels(6, 3), clRed) << "top edge";
    EXPECT_EQ(canvas->Pixels(6, 7), clYellow) << "inside stays: the brush is clear";
    EXPECT_EQ(canvas->Pixels(10, 12), clYellow) << "outside";

    canvas->Brush()->SetColor(clBlue);
    canvas->FillRect(TRect(4, 5, 6, 7));
    EXPECT_EQ(canvas->Pixels(4, 5), clBlue);
    EXPECT_EQ(canvas->Pixels(6, 7), clYellow);
}

TEST(Graphics, ShapesFillWithTheBrushInsideThePenOutline) {
    const struct {
        const char* Name;
        void (*Paint)(TCanvas*);
        bool Filled;
    } shapes[] = {
        {"Ellipse", [](TCanvas* c) { c->Ellipse(2, 2, 18, 18); }, true},
        {"RoundRect", [](TCanvas* c) { c->RoundRect(2, 2, 18, 18, 8, 8); }, true},
        {"Polygon",
         [](TCanvas* c) {
             c->Polygon({{2, 2}, {17, 2}, {17, 17}, {2, 17}});
         },
         true},
        {"Polyline",
         [](TCanvas* c) {
             c->Polyline({{2, 2}, {17, 2}, {17, 17}, {2, 17}, {2, 2}});
         },
         false},
        {"LineTo",
         [](TCanvas* c) {
             c->MoveTo(2, 2);
             c->LineTo(17, 2);
             c->LineTo(17, 17);
             c->LineTo(2, 17);
             c->LineTo(2, 2);
         },
         false},
    };
    for (const auto& shape : shapes) {
        TBitmap bitmap(20, 20, pf24bit);
        TCanvas* canvas = bitmap.Canvas();
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(TRect(0, 0, 20, 20));
        canvas->Pen()->SetColor(clRed);
        canvas->Brush()->SetColor(clBlue);
        shape.Paint(canvas);
        EXPECT_EQ(canvas->Pixels(10, 10), shape.Filled ? clBlue : clWhite)
            << shape.Name << ": inside";
        EXPECT_EQ(canvas->Pixels(10, 2), clRed) << shape.Name << ": top of the outline";
        EXPECT_EQ(canvas->Pixels(0, 0), clWhite) << shape.Name << ": outside";
    }
}

TEST(Graphics, TextOutTouchesOnlyPixelsInsideItsExtent) {
    TBitmap bitmap(120, 40, pf24bit);
    TCanvas* canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect(0, 0, 120, 40));
    canvas->Font()->SetColor(clBlack);
    canvas->Font()->SetSize(10);
    const TSize extent = canvas->TextExtent(L"Hello");
    EXPECT_GT(extent.cx, 0);
    EXPECT_GT(extent.cy, 0);
    canvas->TextOut(10, 8, L"Hello");
    const TRect inside(10, 8, 10 + extent.cx, 8 + extent.cy);
    EXPECT_GT(CountChanged(bitmap, inside, clWhite), 0);
    int outside =
        CountChanged(bitmap, TRect(0, 0, 120, 40), clWhite) - CountChanged(bitmap, inside, clWhite);
    EXPECT_EQ(outside, 0);
    EXPECT_EQ(canvas->PenPos(), TPoint(10 + extent.cx, 8));
    EXPECT_EQ(canvas->TextWidth(L"Hello"), extent.cx);

    TRect measured(0, 0, 1000, 0);
    canvas->TextRect(measured, L"Hello", {tfCalcRect, tfSingleLine});
    EXPECT_EQ(measured.Width(), extent.cx);
    EXPECT_EQ(measured.Height(), extent.cy);
}

TEST(Graphics, CanvasWithoutHandleRefusesToDraw) {
    TCanvas canvas;
    EXPECT_FALSE(canvas.HandleAllocated());
    EXPECT_THROW(canvas.Handle(), EInvalidOperation);
    EXPECT_THROW(canvas.FillRect(TRect(0, 0, 1, 1)), EInvalidOperation);
}

TEST(Graphics, ForeignDCGetsItsOwnObjectsBack) {
    TOwnedDC dc(::CreateCompatibleDC(nullptr));
    ASSERT_TRUE(dc);
    const HGDIOBJ font = ::GetCurrentObject(dc.Get(), OBJ_FONT);
    const HGDIOBJ pen = ::GetCurrentObject(dc.Get(), OBJ_PEN);
    const HGDIOBJ brush = ::GetCurrentObject(dc.Get(), OBJ_BRUSH);

    TCanvas canvas;
    canvas.SetHandle(dc.Get());
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), font)
        << "nothing is selected before it is needed";
    canvas.Rectangle(0, 0, 2, 2);
    canvas.TextOut(0, 0, L"x");
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), canvas.Font()->Handle());
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_PEN), canvas.Pen()->Handle());
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), canvas.Brush()->Handle());

    // A font changed while selected leaves the DC first, so its old handle can be deleted.
    canvas.Font()->SetSize(20);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), font);
    EXPECT_FALSE(canvas.State().Contains(csFontValid));
    canvas.TextOut(0, 0, L"y");
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), canvas.Font()->Handle());

    canvas.SetHandle(nullptr);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_FONT), font);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_PEN), pen);
    EXPECT_EQ(::GetCurrentObject(dc.Get(), OBJ_BRUSH), brush);
}

TEST(Graphics, CanvasLockKeepsOtherThreadsOut) {
    TCanvas canvas;
    canvas.Lock();
    canvas.Lock();
    EXPECT_EQ(canvas.LockCount(), 2);
    bool otherGotIt = true;
    std::thread([&] { otherGotIt = canvas.TryLock(); }).join();
    EXPECT_FALSE(otherGotIt);
    canvas.Unlock();
    canvas.Unlock();
    EXPECT_EQ(canvas.LockCount(), 0);
    std::thread([&] {
        otherGotIt = canvas.TryLock();
        if (otherGotIt) canvas.Unlock();
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(Graphics, DrawBlendsPerPixelAlphaAndHonoursTransparency) {
    const struct {
        TAlphaFormat Format;
        Byte Red; // the stored red byte of a pixel with alpha 128
        int ExpectedGreen;
    } cases[] = {
        {afDefined, 255, 127},       // straight alpha: half red over white
        {afPremultiplied, 128, 127}, // the same colour, premultiplied
        {afIgnored, 255, 0},         // alpha ignored: opaque red
    };
    for (const auto& c : cases) {
        TBitmap image(2, 2, pf32bit);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) {
                Byte* pixel = Row(image, y) + x * 4;
                pixel[0] = 0;
                pixel[1] = 0;
                pixel[2] = c.Red;
                pixel[3] = 128;
            }
        image.SetAlphaFormat(c.Format);
        TBitmap target(6, 6, pf24bit);
        target.Canvas()->Brush()->SetColor(clWhite);
        target.Canvas()->FillRect(TRect(0, 0, 6, 6));
        target.Canvas()->Draw(2, 2, &image);
        const TColor blended = target.Canvas()->Pixels(3, 3);
        EXPECT_NEAR(Channel(blended, 0), 255, 2) << "red, format " << c.Format;
        EXPECT_NEAR(Channel(blended, 8), c.ExpectedGreen, 3) << "green, format " << c.Format;
        EXPECT_NEAR(Channel(blended, 16), c.ExpectedGreen, 3) << "blue, format " << c.Format;
        EXPECT_EQ(target.Canvas()->Pixels(1, 1), clWhite) << "outside, format " << c.Format;
    }

    // Transparent: the bottom-left colour is the key and leaves the target as it was.
    TBitmap sprite(2, 2, pf24bit);
    sprite.Canvas()->Brush()->SetColor(clFuchsia);
    sprite.Canvas()->FillRect(TRect(0, 0, 2, 2));
    sprite.Canvas()->SetPixels(1, 0, clBlue);
    sprite.SetTransparent(true);
    EXPECT_EQ(sprite.TransparentColor(), clFuchsia);
    TBitmap target(4, 4, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 4, 4));
    target.Canvas()->Draw(1, 1, &sprite);
    EXPECT_EQ(target.Canvas()->Pixels(2, 1), clBlue);
    EXPECT_EQ(target.Canvas()->Pixels(1, 1), clWhite);
    EXPECT_EQ(target.Canvas()->Pixels(2, 2), clWhite);
}

TEST(Graphics, StretchDrawAndCopyRectScaleTheSource) {
    TBitmap source(2, 2, pf24bit);
    source.Canvas()->SetPixels(0, 0, clRed);
    source.Canvas()->SetPixels(1, 1, clBlue);
    TBitmap target(8, 8, pf24bit);
    target.Canvas()->StretchDraw(TRect(0, 0, 8, 8), &source);
    EXPECT_EQ(target.Canvas()->Pixels(3, 3), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(4, 4), clBlue);
    EXPECT_EQ(target.Canvas()->Pixels(7, 0), clBlack);

    TBitmap copy(4, 4, pf24bit);
    copy.Canvas()->CopyRect(TRect(0, 0, 4, 4), target.Canvas(), TRect(4, 4, 8, 8));
    EXPECT_EQ(copy.Canvas()->Pixels(0, 0), clBlue);
}

// ---- fonts ------------------------------------------------------------------------------------

TEST(Graphics, FontSizeAndHeightAgreeAndEveryChangeFiresOnce) {
    struct TCounter : TObject {
        int Calls = 0;
        void Count(TObject*) { ++Calls; }
    } counter;
    TFont font;
    const int ppi = font.PixelsPerInch();
    EXPECT_EQ(ppi, ScreenPixelsPerInch());
    EXPECT_EQ(font.Name(), L"Tahoma");
    EXPECT_EQ(font.Size(), 8);
    font.OnChange = TNotifyEvent(&counter, &TCounter::Count);

    font.SetSize(12);
    EXPECT_EQ(font.Height(), -MulDiv(12, ppi, 72));
    EXPECT_EQ(font.Size(), 12);
    font.SetHeight(-MulDiv(20, ppi, 72));
    EXPECT_EQ(font.Size(), 20);
    EXPECT_EQ(counter.Calls, 2);

    const HFONT before = font.Handle();
    ASSERT_NE(before, nullptr);
    font.SetStyle({fsBold, fsItalic});
    EXPECT_EQ(counter.Calls, 3);
    EXPECT_FALSE(font.HandleAllocated()) << "a change drops the handle";
    font.SetStyle({fsBold, fsItalic});
    font.SetSize(20);
    EXPECT_EQ(counter.Calls, 3) << "setting the same value is no change";
    font.SetColor(clRed);
    EXPECT_EQ(counter.Calls, 4);

    LOGFONTW description{};
    ::GetObjectW(font.Handle(), sizeof(description), &description);
    EXPECT_EQ(description.lfWeight, FW_BOLD);
    EXPECT_TRUE(description.lfItalic);
    EXPECT_EQ(description.lfHeight, font.Height());

    TFont copy;
    copy.Assign(&font);
    EXPECT_EQ(copy.Size(), 20);
    EXPECT_EQ(copy.Style(), (TFontStyles{fsBold, fsItalic}));
    EXPECT_EQ(copy.Color(), clRed);
}

TEST(Graphics, FontTakesOverAHandleAndDescribesItself) {
    TFont font;
    font.SetHandle(::CreateFontW(-15, 0, 0, 0, FW_BOLD, FALSE, TRUE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 FIXED_PITCH, L"Courier New"));
    EXPECT_EQ(font.Name(), L"Courier New");
    EXPECT_EQ(font.Height(), -15);
    EXPECT_EQ(font.Style(), (TFontStyles{fsBold, fsUnderline}));
    EXPECT_EQ(font.Pitch(), fpFixed);
    EXPECT_TRUE(font.HandleAllocated());
}

// ---- files and pictures -----------------------------------------------------------------------

TEST(Graphics, BmpFilesRoundTripEveryFormat) {
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        TBitmap bitmap(5, 3, format); // odd width: rows are padded
        const int bits[] = {0, 1, 4, 8, 16, 16, 24, 32};
        const int rowBytes = (5 * bits[format] + 7) / 8;
        for (int y = 0; y < 3; ++y)
            for (int i = 0; i < rowBytes; ++i) Row(bitmap, y)[i] = Byte(7 * i + 31 * y + 1);
        // Bits past the fifth pixel of a 1- and 4-bit row are padding, not picture.
        if (bits[format] < 8)
            for (int y = 0; y < 3; ++y)
                Row(bitmap, y)[rowBytes - 1] &= Byte(0xFF << (8 - (5 * bits[format]) % 8) % 8);
        TTempFile file(L".bmp");
        bitmap.SaveToFile(file.Name());

        TBitmap loaded;
        loaded.LoadFromFile(file.Name());
        EXPECT_EQ(loaded.PixelFormat(), format);
        EXPECT_EQ(loaded.Width(), 5);
        EXPECT_EQ(loaded.Height(), 3);
        for (int y = 0; y < 3; ++y)
            EXPECT_EQ(std::memcmp(Row(loaded, y), Row(bitmap, y), rowBytes), 0)
                << "format " << format << " row " << y;
        if (format == pf8bit || format == pf4bit) {
            EXPECT_EQ(loaded.Canvas()->Pixels(2, 1), bitmap.Canvas()->Pixels(2, 1))
                << "palette of format " << format;
        }
    }
}

TEST(Graphics, BmpLoadingRejectsBadFiles) {
    TTempFile file(L".bmp");
    TBitmap(4, 4, pf8bit).SaveToFile(file.Name());
    const std::vector<Byte> valid = ReadBytes(file.Name());
    const struct {
        const char* Fault;
        std::size_t Offset; // where the bad value goes
        DWORD Value;
        std::size_t Size;
    } faults[] = {
        {"wrong magic", 0, 0x4D43, 2},
        {"pixels beyond the end", 10, 0x10000, 4},
        {"zero width", 18, 0, 4},
        {"unknown depth", 28, 7, 2},
        {"palette larger than 256", 46, 1000, 4},
        {"header longer than the file", 14, 0x7FFFFFF0, 4},
        {"bit fields on 8 bits", 30, BI_BITFIELDS, 4},
    };
    for (const auto& fault : faults) {
        std::vector<Byte> data = valid;
        std::memcpy(data.data() + fault.Offset, &fault.Value, fault.Size);
        WriteBytes(file.Name(), data);
        TBitmap loaded;
        EXPECT_THROW(loaded.LoadFromFile(file.Name()), EInvalidGraphic) << fault.Fault;
    }
    std::vector<Byte> cut(valid.begin(), valid.end() - 1); // the last row is one byte short
    WriteBytes(file.Name(), cut);
    TBitmap loaded;
    EXPECT_THROW(loaded.LoadFromFile(file.Name()), EInvalidGraphic) << "cut short";

    EXPECT_THROW(loaded.LoadFromFile(file.Name() + L".missing"), EFOpenError);
    EXPECT_THROW(TBitmap().SaveToFile(file.Name()), EInvalidGraphicOperation);
    EXPECT_THROW(loaded.LoadFromResourceName(::GetModuleHandleW(nullptr), L"NO_SUCH_BITMAP"),
                 EResNotFound);
}

TEST(Graphics, BmpLoadingReadsTopDownAndRunLengthFiles) {
    // A top-down file: the saved bottom-up rows reversed and the height negated.
    TTempFile file(L".bmp");
    TBitmap original(2, 2, pf24bit);
    original.Canvas()->SetPixels(0, 0, clRed);
    original.Canvas()->SetPixels(1, 1, clBlue);
    original.SaveToFile(file.Name());
    std::vector<Byte> data = ReadBytes(file.Name());
    const std::size_t rowBytes = 8; // 2 pixels of 3 bytes, padded
    ASSERT_EQ(data.size(), 14u + 40u + 2 * rowBytes);
    std::swap_ranges(data.begin() + 54, data.begin() + 54 + 8, data.begin() + 62);
    const LONG topDown = -2;
    std::memcpy(data.data() + 14 + 8, &topDown, sizeof(topDown));
    WriteBytes(file.Name(), data);
    TBitmap loaded;
    loaded.LoadFromFile(file.Name());
    EXPECT_EQ(loaded.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(loaded.Canvas()->Pixels(1, 1), clBlue);
    EXPECT_EQ(loaded.Canvas()->Pixels(1, 0), clBlack);

    // An 8-bit run-length file, 4 x 2: bottom row four of colour 1, top row four of colour 2.
    const Byte runs[] = {4, 1, 0, 0, 4, 2, 0, 1};
    const RGBQUAD palette[] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}};
    BITMAPINFOHEADER header{sizeof(header), 4, 2, 1, 8, BI_RLE8, sizeof(runs), 0, 0, 3, 0};
    const DWORD offBits = 14 + sizeof(header) + sizeof(palette);
    std::vector<Byte> rle;
    Put(rle, BITMAPFILEHEADER{0x4D42, static_cast<DWORD>(offBits + sizeof(runs)), 0, 0, offBits});
    Put(rle, header);
    Put(rle, palette);
    Put(rle, runs);
    WriteBytes(file.Name(), rle);
    loaded.LoadFromFile(file.Name());
    EXPECT_EQ(loaded.PixelFormat(), pf8bit);
    EXPECT_EQ(loaded.Canvas()->Pixels(3, 1), clRed);
    EXPECT_EQ(loaded.Canvas()->Pixels(0, 0), clLime);
}

TEST(Graphics, PictureChoosesTheGraphicClassByExtension) {
    TTempFile file(L".BMP");
    TBitmap(3, 2, pf24bit).SaveToFile(file.Name());
    TPicture picture;
    int changes = 0;
    struct TCounter : TObject {
        int* Calls;
        void Count(TObject*) { ++*Calls; }
    } counter;
    counter.Calls = &changes;
    picture.OnChange = TNotifyEvent(&counter, &TCounter::Count);
    picture.LoadFromFile(file.Name());
    ASSERT_NE(picture.Graphic(), nullptr);
    EXPECT_EQ(picture.Graphic()->ClassType(), TBitmap::StaticClass());
    EXPECT_EQ(picture.Width(), 3);
    EXPECT_EQ(picture.Height(), 2);
    EXPECT_EQ(changes, 1);
    picture.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
    EXPECT_GT(changes, 1) << "the graphic's changes reach the picture";

    try {
        picture.LoadFromFile(L"C:\\pictures\\photo.xyz");
        ADD_FAILURE() << "an unknown extension loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), L"Unknown picture file extension (.xyz)");
    }
    EXPECT_EQ(picture.Graphic()->ClassType(), TBitmap::StaticClass())
        << "a failed load keeps the picture";

    TPicture::RegisterFileFormat(L".XYZ", L"Test pictures", TRecordingGraphic::StaticClass());
    picture.LoadFromFile(L"photo.xyz");
    auto* recorded = dynamic_cast<TRecordingGraphic*>(picture.Graphic());
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(recorded->LoadedFrom, L"photo.xyz");
    EXPECT_EQ(picture.Width(), 7);

    TPicture::UnregisterGraphicClass(TRecordingGraphic::StaticClass());
    EXPECT_THROW(picture.LoadFromFile(L"photo.xyz"), EInvalidGraphic);
    EXPECT_EQ(TPicture::GraphicClassFor(L"bmp"), TBitmap::StaticClass()) << "other formats stay";
    EXPECT_THROW(TPicture::RegisterFileFormat(L"abc", L"", TFont::StaticClass()), EInvalidGraphic);
    EXPECT_THROW(picture.LoadFromFile(L"noextension"), EInvalidGraphic);
}

TEST(Graphics, IconOwnsItsHandleAndDraws) {
    TBitmap color(16, 16, pf24bit);
    color.Canvas()->Brush()->SetColor(clRed);
    color.Canvas()->FillRect(TRect(0, 0, 16, 16));
    TOwnedBitmap mask(::CreateBitmap(16, 16, 1, 1, nullptr)); // all zero: every pixel opaque
    ICONINFO info{TRUE, 0, 0, mask.Get(), color.Handle()};
    TIcon icon;
    icon.SetHandle(::CreateIconIndirect(&info));
    ASSERT_FALSE(icon.Empty());
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_EQ(icon.Height(), 16);

    TBitmap target(20, 20, pf24bit);
    target.Canvas()->Brush()->SetColor(clWhite);
    target.Canvas()->FillRect(TRect(0, 0, 20, 20));
    target.Canvas()->Draw(2, 2, &icon);
    EXPECT_EQ(target.Canvas()->Pixels(10, 10), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(19, 19), clWhite);

    TIcon copy;
    copy.Assign(&icon);
    EXPECT_NE(copy.Handle(), icon.Handle());
    EXPECT_EQ(copy.Width(), 16);
    TOwnedIcon released(icon.ReleaseHandle());
    EXPECT_TRUE(icon.Empty());
}

TEST(Graphics, PicturesLoadFromResourcesAndIconFiles) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    TBitmap bitmap;
    bitmap.LoadFromResourceName(instance, L"GRAPHICS_TEST_BITMAP");
    EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
    EXPECT_EQ(bitmap.Width(), 2);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 0), clRed);
    EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clWhite);
    EXPECT_EQ(bitmap.Canvas()->Pixels(0, 1), clBlue);
    EXPECT_EQ(Row(bitmap, 1)[4], 0xFF)
        << "the green of the bottom-right pixel, through the scan line";

    TIcon icon;
    icon.LoadFromResourceName(instance, L"GRAPHICS_TEST_ICON");
    EXPECT_EQ(icon.Width(), ::GetSystemMetrics(SM_CXICON));
    EXPECT_THROW(icon.LoadFromResourceName(instance, L"NO_SUCH_ICON"), EResNotFound);

    const std::vector<Byte> iconFile = ResourceBytes(L"GRAPHICS_TEST_ICON_FILE");
    ASSERT_FALSE(iconFile.empty());
    TTempFile file(L".ico");
    WriteBytes(file.Name(), iconFile);
    TPicture picture;
    picture.LoadFromFile(file.Name());
    ASSERT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 16);
    TBitmap target(20, 20, pf24bit);
    target.Canvas()->Draw(0, 0, picture.Graphic());
    EXPECT_EQ(target.Canvas()->Pixels(8, 8), clRed);
    EXPECT_EQ(target.Canvas()->Pixels(18, 18), clBlack);
}
