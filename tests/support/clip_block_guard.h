// A clipboard block that frees itself, for the clipboard tests.
#pragma once

#include <cstdint>
#include <vector>

#include "core/clipboard_block.h"

struct Block {
    TClipBlock FBlock = {};
    ~Block() { TClipBlock_Free(&FBlock); }
    std::vector<uint8_t> Bytes() const {
        return std::vector<uint8_t>(FBlock.FData, FBlock.FData + FBlock.FSize);
    }
};
