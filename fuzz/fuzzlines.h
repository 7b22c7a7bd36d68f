// Feeds the non-empty lines of a fuzz input (LF or CR LF ends) to a callback.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

template <class F>
void ForEachLine(const std::uint8_t* data, std::size_t size, F&& onLine) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    while (!all.empty()) {
        const std::size_t nl = all.find('\n');
        std::string_view line = all.substr(0, nl);
        all = nl == std::string_view::npos ? std::string_view() : all.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) onLine(line);
    }
}
