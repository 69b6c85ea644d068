// The page's files, embedded in the program at build time (embed.cmake).
#pragma once

#include <cstddef>

namespace ecfsim::web {

struct Asset {
    const char* path;  // "/index.html"
    const char* type;  // its Content-Type
    const unsigned char* data;
    std::size_t size;
};

extern const Asset kAssets[];
extern const std::size_t kAssetCount;

}  // namespace ecfsim::web
