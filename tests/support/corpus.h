// The reader corpus of the shared folder: each file with what loading it must give.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TImage;

struct TCorpusCorner {
    uint32_t FColor;
    int FMask;
};

struct TCorpusOutcome {
    std::string FResult; // "load", "refuse" or "index_out_of_range"
    int32_t FWidth = 0, FHeight = 0;
    bool FPixelsChecked = false;
    std::string FDumpSha256;
    TCorpusCorner FCorners[4] = {}; // top-left, top-right, bottom-left, bottom-right
    std::vector<int> FErrorCodes;   // empty: any non-zero code
    int FReturnValue = 0;           // index_out_of_range
};

struct TCorpusCheck {
    std::string FStatus; // "exact", "ambiguous" or "implementer_choice"
    int FIconIndex = 0;
    std::vector<TCorpusOutcome> FOutcomes;
};

struct TCorpusCase {
    std::string FId, FPath, FFormat;
    std::vector<TCorpusCheck> FChecks;
};

// Every case of one format ("bmp", "ico", "jpeg"); fails the calling test when the manifest
// is missing.
std::vector<TCorpusCase> CorpusCases(const std::string& format);

// Empty when image matches outcome (size, corners and pixel hash where checked), else why not.
std::string CorpusMismatch(const TImage* image, const TCorpusOutcome& outcome);
