// The RTF export: one table row for the header and one per exported node, the cell boundaries
// in twips from the visible columns' widths at the screen's resolution. Texts are written as
// Unicode escapes, one per UTF-16 unit, so no cell text can reach the RTF syntax; the font
// table is built while the body is written, and font names, which are the only plain text in
// it, have \, { and } escaped.
#include "vtree/VTExportInternal.h"

#include <algorithm>
#include <cmath>

namespace {

std::string Decimal(Int64 Value) { return std::to_string(Value); }

std::string RtfFontName(const UnicodeString& Name) {
    std::string escaped;
    for (char c : UnicodeToAnsi(Name)) {
        if (c == '\\' || c == '{' || c == '}') escaped += '\\';
        escaped += c;
    }
    return escaped;
}

} // namespace

class TVTExporter::TRtf {
public:
    TRtf(TVTExporter& Exporter, TVSTTextSourceType Source)
        : E(Exporter), W(Exporter.FWindow), Source(Source) {}

    RawByteString Render() {
        B.Add("\\uc1\\trowd\\trgaph70");
        CellBoundaries();
        if (E.FHeader.UseColumns()) HeaderRow();
        TBitmap scratch; // a canvas for OnPaintText to style the cells on
        scratch.SetSize(1, 1);
        for (PVirtualNode node = E.First(Source); node; node = E.Next(node, Source))
            if (E.Accepts(etRTF, node)) Row(node, scratch.Canvas());
        B.Add("\\pard\\par");
        std::string result = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\deflang1043{\\fonttbl";
        for (std::size_t i = 0; i < Fonts.size(); ++i)
            result += "{\\f" + Decimal(static_cast<Int64>(i)) + " " + RtfFontName(Fonts[i]) + ";}";
        result += "}{\\colortbl;";
        for (TColor color : Colors) {
            const auto rgb = static_cast<unsigned>(color);
            result += "\\red" + Decimal(rgb & 0xFF) + "\\green" + Decimal((rgb >> 8) & 0xFF) +
                      "\\blue" + Decimal((rgb >> 16) & 0xFF) + ";";
        }
        return result + "}" + B.AsString() + "}";
    }

private:
    void CellBoundaries() {
        const int ppi = ScreenPixelsPerInch();
        auto twips = [ppi](Int64 Pixels) {
            return static_cast<Int64>(std::nearbyint(static_cast<double>(Pixels) * 1440 / ppi));
        };
        if (!E.FHeader.UseColumns()) {
            B.Add("\\cellx" + Decimal(twips(W.ClientWidth())));
            return;
        }
        Int64 sum = 0;
        for (TColumnIndex index : E.ExportColumns()) {
            sum += E.Column(index)->Width();
            B.Add("\\cellx" + Decimal(twips(sum)));
        }
    }

    void Alignment(TColumnIndex Index, bool Caption) {
        bool rtl = false;
        const TAlignment alignment = E.CellAlignment(Index, Caption, rtl);
        if (alignment == taRightJustify) B.Add("\\qr");
        if (alignment == taCenter) B.Add("\\qc");
    }

    void HeaderRow() {
        W.OnBeforeHeaderExport(&W, etRTF);
        B.Add("\\pard\\intbl");
        for (TColumnIndex index : E.ExportColumns()) {
            TVirtualTreeColumn* column = E.Column(index);
            W.OnBeforeColumnExport(&W, etRTF, column);
            Alignment(index, true);
            WriteText(column->Text(), W.HeaderFont());
            B.Add("\\cell");
            W.OnAfterColumnExport(&W, etRTF, column);
        }
        B.Add("\\row");
        W.OnAfterHeaderExport(&W, etRTF);
    }

    void Row(PVirtualNode Node, TCanvas* Canvas) {
        const Cardinal level = E.FTree.GetNodeLevel(Node);
        for (TColumnIndex index : E.ExportColumns()) {
            const UnicodeString text = E.FTree.CellText(Node, index);
            B.Add("\\pard\\intbl");
            Alignment(index, false);
            E.PaintText(Canvas, Node, index);
            if (index == E.FHeader.MainColumn() && level >= 1) {
                for (Cardinal i = 0; i < level; ++i) B.Add("\\tab");
                B.Add(" ");
            }
            WriteText(text, Canvas->Font());
            B.Add("\\cell");
        }
        B.Add("\\row");
        W.OnAfterNodeExport(&W, etRTF, Node);
    }

    void WriteText(const UnicodeString& Text, TFont* Font) {
        if (Text.empty()) return;
        const TFontStyles style = Font->Style();
        if (style.Contains(fsUnderline)) B.Add("\\ul");
        if (style.Contains(fsItalic)) B.Add("\\i");
        if (style.Contains(fsBold)) B.Add("\\b");
        SelectFont(Font->Name());
        SelectColor(ColorToRGB(Font->Color()));
        if (Font->Size() != FSize) {
            FSize = Font->Size();
            B.Add("\\fs" + Decimal(2 * FSize));
        }
        B.Add(" ");
        for (wchar_t unit : Text) {
            if (unit == L'\n')
                B.Add("{\\par}");
            else if (unit != L'\r')
                B.Add("\\u" + Decimal(static_cast<std::int16_t>(unit)) + "\\'3f");
        }
        if (style.Contains(fsUnderline)) B.Add("\\ul0");
        if (style.Contains(fsItalic)) B.Add("\\i0");
        if (style.Contains(fsBold)) B.Add("\\b0");
    }

    void SelectFont(const UnicodeString& Name) {
        const auto found = std::find(Fonts.begin(), Fonts.end(), Name);
        const int index = static_cast<int>(found - Fonts.begin());
        if (found == Fonts.end()) Fonts.push_back(Name);
        if (index == FFont) return;
        FFont = index;
        B.Add("\\f" + Decimal(index));
    }

    void SelectColor(TColor Color) {
        const auto found = std::find(Colors.begin(), Colors.end(), Color);
        const int index = static_cast<int>(found - Colors.begin());
        if (found == Colors.end()) Colors.push_back(Color);
        if (index == FColor) return;
        FColor = index;
        B.Add("\\cf" + Decimal(index + 1));
    }

    TVTExporter& E;
    TVirtualStringTreeWindow& W;
    TVSTTextSourceType Source;
    TBufferedAnsiString B;
    std::vector<UnicodeString> Fonts;
    std::vector<TColor> Colors;
    int FFont = -1;
    int FColor = -1;
    int FSize = -1;
};

RawByteString TVTExporter::Rtf(TVSTTextSourceType Source) { return TRtf(*this, Source).Render(); }
