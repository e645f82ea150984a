// Printing a whole tree onto a printer, page by page, scaled so that its text keeps its size
// relative to the printer's font: the picture of the tree (the header on top when asked for,
// then every row, on white, grid lines only) is cut into pages of the printer's page size
// divided by that scale, row by row of pages.
//
// A whole large tree in one bitmap would not fit a 32-bit process, so each page is rendered on
// its own from the tree. A print job that fails on the way is aborted, never left open.
#include "vtree/VTWindow.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

int TextHeightOn(HDC DC, TFont* Font) {
    LOGFONTW logFont{};
    if (!GetObjectW(Font->Handle(), sizeof(logFont), &logFont)) RaiseLastOSError(L"GetObjectW");
    logFont.lfHeight = -MulDiv(Font->Size(), GetDeviceCaps(DC, LOGPIXELSY), 72);
    const TOwnedFont font(CreateFontIndirectW(&logFont));
    if (!font) RaiseLastOSError(L"CreateFontIndirectW");
    HGDIOBJ old = SelectObject(DC, font.Get());
    SIZE size{};
    GetTextExtentPoint32W(DC, L"Tj", 2, &size);
    SelectObject(DC, old);
    return size.cy;
}

int CeilDiv(int A, int B) { return B > 0 ? (A + B - 1) / B : 0; }

// Ends the print job it started unless told that it finished.
class TPrintJob {
public:
    TPrintJob(HDC DC, const UnicodeString& Title) : FDC(DC) {
        DOCINFOW info{};
        info.cbSize = sizeof(info);
        info.lpszDocName = Title.c_str();
        if (StartDocW(DC, &info) <= 0) RaiseLastOSError(L"StartDocW");
    }
    ~TPrintJob() {
        if (!FDone) AbortDoc(FDC);
    }
    TPrintJob(const TPrintJob&) = delete;
    TPrintJob& operator=(const TPrintJob&) = delete;
    void Finish() {
        FDone = true;
        if (EndDoc(FDC) <= 0) RaiseLastOSError(L"EndDoc");
    }

private:
    HDC FDC;
    bool FDone = false;
};

// The page's pixels, top row first, stretched over the printer's page.
void StretchPage(HDC PrinterDC, TBitmap& Page, int PageWidth, int PageHeight) {
    const int width = Page.Width(), height = Page.Height();
    std::vector<Byte> bits(static_cast<std::size_t>(width) * 4 * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const Byte* line = static_cast<const Byte*>(Page.ScanLine(y));
        std::copy_n(line, width * 4, bits.begin() + static_cast<std::ptrdiff_t>(y) * width * 4);
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    if (StretchDIBits(PrinterDC, 0, 0, PageWidth, PageHeight - 1, 0, 0, width, height, bits.data(),
                      &info, DIB_RGB_COLORS, SRCCOPY) == 0)
        RaiseLastOSError(L"StretchDIBits");
}

} // namespace

TVirtualTreeWindow::TVTPrintLayout TVirtualTreeWindow::PrintLayout(int PageWidth, int PageHeight,
                                                                   double Scale, bool PrintHeader) {
    TVTPrintLayout layout;
    layout.HeaderHeight =
        PrintHeader && Header()->Options().Contains(hoVisible) ? Header()->Height() : 0;
    layout.ImageWidth = std::max(RangeX(), 1);
    layout.ImageHeight = RangeY() + layout.HeaderHeight;
    if (Scale <= 0) Scale = 1;
    layout.PageWidthPx = std::max(1, static_cast<int>(std::lround(PageWidth / Scale)));
    layout.PageHeightPx = std::max(1, static_cast<int>(std::lround(PageHeight / Scale)));
    layout.Columns = CeilDiv(layout.ImageWidth, layout.PageWidthPx);
    layout.Rows = CeilDiv(layout.ImageHeight, layout.PageHeightPx);
    return layout;
}

void TVirtualTreeWindow::RenderPrintPage(TBitmap& Page, const TVTPrintLayout& Layout, int Column,
                                         int Row) {
    Page.SetPixelFormat(pf32bit);
    Page.SetSize(Layout.PageWidthPx, Layout.PageHeightPx);
    TCanvas* canvas = Page.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect({0, 0, Layout.PageWidthPx, Layout.PageHeightPx});
    const int x0 = Column * Layout.PageWidthPx, y0 = Row * Layout.PageHeightPx;
    const int y1 = y0 + Layout.PageHeightPx;
    if (y0 < Layout.HeaderHeight) {
        POINT origin;
        SetViewportOrgEx(canvas->Handle(), 0, -y0, &origin);
        PaintHeader(canvas->Handle(), {0, 0, Layout.PageWidthPx, Layout.HeaderHeight}, -x0);
        SetViewportOrgEx(canvas->Handle(), origin.x, origin.y, nullptr);
    }
    const int treeTop = std::max(y0, Layout.HeaderHeight) - Layout.HeaderHeight;
    const int treeBottom = y1 - Layout.HeaderHeight;
    if (treeBottom <= treeTop) return;
    const TRect window{x0, treeTop, x0 + Layout.PageWidthPx, treeBottom};
    const TPoint target{0, std::max(0, Layout.HeaderHeight - y0)};
    const TColor color = Color();
    SetColor(clWhite);
    try {
        PaintTree(canvas, window, target, {poGridLines}, pf32bit);
    } catch (...) {
        SetColor(color);
        throw;
    }
    SetColor(color);
}

void TVirtualTreeWindow::Print(HDC PrinterDC, const UnicodeString& Title, bool PrintHeader) {
    if (!PrinterDC) return;
    FTree->BeginUpdate();
    const TFontQuality quality = Font()->Quality();
    try {
        Font()->SetQuality(fqAntialiased);
        PrintPages(PrinterDC, Title, PrintHeader);
    } catch (...) {
        Font()->SetQuality(quality);
        FTree->EndUpdate();
        throw;
    }
    Font()->SetQuality(quality);
    FTree->EndUpdate();
}

void TVirtualTreeWindow::PrintPages(HDC PrinterDC, const UnicodeString& Title, bool PrintHeader) {
    const int pageWidth = GetDeviceCaps(PrinterDC, HORZRES);
    const int pageHeight = GetDeviceCaps(PrinterDC, VERTRES);
    TBitmap screen(1, 1, pf32bit);
    const int screenHeight = TextHeightOn(screen.Canvas()->Handle(), Font());
    const double scale = screenHeight > 0
                             ? static_cast<double>(TextHeightOn(PrinterDC, Font())) / screenHeight
                             : 1.0;
    const TVTPrintLayout layout = PrintLayout(pageWidth, pageHeight, scale, PrintHeader);
    TPrintJob job(PrinterDC, Title);
    TBitmap page;
    for (int row = 0; row < layout.Rows; ++row) {
        for (int column = 0; column < layout.Columns; ++column) {
            if (StartPage(PrinterDC) <= 0) RaiseLastOSError(L"StartPage");
            RenderPrintPage(page, layout, column, row);
            StretchPage(PrinterDC, page, pageWidth, pageHeight);
            if (EndPage(PrinterDC) <= 0) RaiseLastOSError(L"EndPage");
        }
    }
    job.Finish();
}
