// Reads the corpus manifest and compares loaded images with its outcomes.
#include "tests/support/corpus.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/image.h"
#include "tests/support/test_support.h"

using nlohmann::json;

static uint32_t ParseHex(const json& v) {
    return uint32_t(std::stoul(v.get<std::string>(), nullptr, 16));
}

static TCorpusOutcome ParseOutcome(const json& o) {
    TCorpusOutcome out;
    out.FResult = o.at("result").get<std::string>();
    if (out.FResult == "load") {
        out.FWidth = o.at("width").get<int32_t>();
        out.FHeight = o.at("height").get<int32_t>();
        out.FPixelsChecked =
            !(o.contains("pixels") && o["pixels"] == "unchecked") && o.contains("dump_sha256");
        if (out.FPixelsChecked) {
            out.FDumpSha256 = o.at("dump_sha256").get<std::string>();
            const char* names[4] = {"top_left", "top_right", "bottom_left", "bottom_right"};
            for (int i = 0; i < 4; ++i) {
                const json& c = o.at("corners").at(names[i]);
                out.FCorners[i] = {ParseHex(c.at("color")), c.at("mask").get<int>()};
            }
        }
    } else if (out.FResult == "refuse") {
        if (o.contains("error_codes") && o["error_codes"].is_array())
            for (const json& v : o["error_codes"])
                if (!v.is_null()) out.FErrorCodes.push_back(v.get<int>());
    } else if (out.FResult == "index_out_of_range") {
        out.FReturnValue = o.at("return_value").get<int>();
    }
    return out;
}

std::vector<TCorpusCase> CorpusCases(const std::string& format) {
    std::vector<TCorpusCase> cases;
    std::string dir = SharedDir() + "/corpus/";
    std::ifstream in(dir + "manifest.json");
    if (!in) {
        ADD_FAILURE() << "no manifest.json in " << dir;
        return cases;
    }
    json manifest = json::parse(in);
    for (const json& c : manifest.at("cases")) {
        if (c.at("format") != format) continue;
        TCorpusCase tc;
        tc.FId = c.at("id").get<std::string>();
        tc.FPath = dir + c.at("file").get<std::string>();
        tc.FFormat = format;
        for (const json& ch : c.at("checks")) {
            TCorpusCheck check;
            check.FStatus = ch.at("status").get<std::string>();
            if (ch.contains("icon_index")) check.FIconIndex = ch["icon_index"].get<int>();
            for (const json& o : ch.at("outcomes"))
                check.FOutcomes.push_back(ParseOutcome(o));
            tc.FChecks.push_back(check);
        }
        cases.push_back(tc);
    }
    return cases;
}

std::string CorpusMismatch(const TImage* image, const TCorpusOutcome& outcome) {
    std::ostringstream why;
    if (image->FWidth != outcome.FWidth || image->FHeight != outcome.FHeight) {
        why << "size " << image->FWidth << "x" << image->FHeight << ", expected " << outcome.FWidth
            << "x" << outcome.FHeight;
        return why.str();
    }
    if (!outcome.FPixelsChecked) return "";
    const int32_t xs[4] = {0, image->FWidth - 1, 0, image->FWidth - 1};
    const int32_t ys[4] = {0, 0, image->FHeight - 1, image->FHeight - 1};
    for (int i = 0; i < 4; ++i) {
        uint32_t c = 0;
        int m = TImage_GetPixelMasked(image, xs[i], ys[i], &c) ? 1 : 0;
        if (c != outcome.FCorners[i].FColor || m != outcome.FCorners[i].FMask) {
            why << "corner " << i << " is 0x" << std::hex << c << "/" << m << ", expected 0x"
                << outcome.FCorners[i].FColor << "/" << outcome.FCorners[i].FMask;
            return why.str();
        }
    }
    if (Sha256Hex(PixelDump(image)) != outcome.FDumpSha256) return "pixel dump differs";
    return "";
}
