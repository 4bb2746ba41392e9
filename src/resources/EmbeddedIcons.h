// The icons' PNG files, compiled in (generated from icons/ by CMake).
#pragma once

#include <cstddef>
#include <span>

namespace resources {

struct EmbeddedIcon {
    int iconId;
    int size;
    const unsigned char* png;
    std::size_t length;
};

std::span<const EmbeddedIcon> embeddedIcons();

}  // namespace resources
