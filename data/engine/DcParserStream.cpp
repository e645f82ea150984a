// TParser in stream mode: the text is read in blocks of at most 64 KB. Blocks that the scan may
// still need (the start of the current scan, the current lexeme) are kept; older ones are
// dropped, and the window is re-based so that positions stay within 32 bits.
//
// UTF-16 streams are read straight into the block (a position is a byte pair); other encodings
// are decoded by the encoding. A multi-byte character cut by the block boundary is held back
// and decoded with the next block; the stream's end is then found when a read yields nothing.
#include "data/engine/DcParser.h"

#include <windows.h>

#include <algorithm>

namespace {
constexpr Integer BlockBytes = 65536;
constexpr Int64 MaxWindow = 2147483647;

// The length of the prefix of `bytes` that holds only complete UTF-8 sequences.
std::size_t CompleteUtf8(const TBytes& bytes) {
    const std::size_t n = bytes.size();
    for (std::size_t back = 1; back <= 4 && back <= n; ++back) {
        const Byte b = bytes[n - back];
        if ((b & 0xC0) == 0x80) continue; // a continuation byte: look further back
        const std::size_t length = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return back < length ? n - back : n;
    }
    return n;
}

// The same for a double-byte code page: a lead byte at the very end waits for its trail byte.
std::size_t CompleteDoubleByte(const TBytes& bytes, UINT codePage) {
    CPINFO info;
    if (!GetCPInfo(codePage, &info) || info.MaxCharSize < 2) return bytes.size();
    std::size_t i = 0;
    while (i < bytes.size()) i += IsDBCSLeadByteEx(codePage, bytes[i]) ? 2 : 1;
    return i > bytes.size() ? bytes.size() - 1 : bytes.size();
}
} // namespace

void TParser::RewindStream() {
    FStream->SetPosition(FStartOffset);
    StreamLength = FStream->Size() - FStartOffset;
    if (FEncoding == Encoding::Unicode()) StreamLength /= 2;
    TextLength = Integer(std::min(StreamLength, MaxWindow));
    FConsumed = 0;
    FPending.clear();
    FStreamEnded = false;
    FCurrentBlock.clear();
    FBlockSize = 0;
    FStoredBlocks.clear();
    FStoredBlockOffsets.clear();
}

wchar_t TParser::ReadChar(Integer i) {
    if (!FStream || i > TextLength || i < 1) return 0;
    while (i >= FBlockOffset + FBlockSize)
        if (!ReadBlock()) return 0;
    if (i >= FBlockOffset) return FCurrentBlock[i - FBlockOffset];
    for (std::size_t k = FStoredBlocks.size(); k-- > 0;)
        if (i >= FStoredBlockOffsets[k]) return FStoredBlocks[k][i - FStoredBlockOffsets[k]];
    Check(false, L"Parser: read before the oldest stored block");
    return 0;
}

UnicodeString TParser::DecodeBlock(const std::string& bytes, bool last) {
    TBytes data(FPending.begin(), FPending.end());
    data.insert(data.end(), bytes.begin(), bytes.end());
    std::size_t complete = data.size();
    if (!last) {
        if (FEncoding == Encoding::UTF8())
            complete = CompleteUtf8(data);
        else if (auto* codePage = dynamic_cast<CodePageEncoding*>(FEncoding))
            complete = CompleteDoubleByte(data, UINT(codePage->CodePage()));
        else
            complete = CompleteDoubleByte(data, GetACP());
    }
    FPending.assign(data.begin() + complete, data.end());
    return FEncoding->GetWideString(data, 0, Integer(complete));
}

// Reads the next block; false at the end of the stream.
bool TParser::ReadBlock() {
    if (FStreamEnded) return false;
    std::string bytes(BlockBytes, '\0');
    bytes.resize(std::size_t(FStream->Read(bytes.data(), BlockBytes)));
    UnicodeString block;
    if (FEncoding == Encoding::Unicode()) {
        block.resize(bytes.size() / 2);
        std::memcpy(block.data(), bytes.data(), block.size() * sizeof(wchar_t));
    } else {
        block = DecodeBlock(bytes, bytes.empty());
    }
    if (bytes.empty() && block.empty()) {
        FStreamEnded = true;
        TextLength = FBlockOffset + FBlockSize - 1;
        StreamLength = Offset + TextLength;
        return false;
    }
    if (block.empty()) return true; // only part of a character so far
    const Integer newOffset = Integer(FConsumed - Offset + 1);
    KeepNeededBlocks(newOffset);
    FCurrentBlock = std::move(block);
    FBlockOffset = newOffset;
    FBlockSize = Integer(FCurrentBlock.size());
    FConsumed += FBlockSize;
    return true;
}

// Drops stored blocks the scan no longer needs and stores the current one when it is needed.
void TParser::KeepNeededBlocks(Integer newBlockOffset) {
    Integer needed = Pos;
    if (FSavedPos >= 0) needed = std::min(needed, FSavedPos);
    if (FLexemPos >= 0) needed = std::min(needed, FLexemPos);
    while (!FStoredBlocks.empty() &&
           FStoredBlockOffsets.front() + Integer(FStoredBlocks.front().size()) <= needed) {
        FStoredBlocks.erase(FStoredBlocks.begin());
        FStoredBlockOffsets.erase(FStoredBlockOffsets.begin());
    }
    if (FBlockSize > 0 && needed < FBlockOffset + FBlockSize) {
        FStoredBlocks.push_back(std::move(FCurrentBlock));
        FStoredBlockOffsets.push_back(FBlockOffset);
    }
    FFirstBlockOffset = FStoredBlocks.empty() ? newBlockOffset : FStoredBlockOffsets.front();
}

// Moves the window forward by whole blocks once the line start and the oldest block allow it.
void TParser::Rebase() {
    if (FCurrBegLine <= BlockBytes || FFirstBlockOffset <= BlockBytes) return;
    const Integer m = std::min(FCurrBegLine, FFirstBlockOffset);
    const Integer shift = m - m % BlockBytes;
    FCurrBegLine -= shift;
    FFirstBlockOffset -= shift;
    FBlockOffset -= shift;
    Pos -= shift;
    if (FLexemPos >= 0) FLexemPos -= shift;
    if (FSavedPos >= 0) FSavedPos -= shift;
    for (Integer& offset : FStoredBlockOffsets) offset -= shift;
    Offset += shift;
    TextLength = Integer(std::min(StreamLength - Offset, MaxWindow));
}
