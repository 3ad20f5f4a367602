#include "engine/cpu_list.h"

#include <charconv>

namespace {

constexpr std::size_t kMostProcessors = 4096;

bool readNumber(std::string_view& text, unsigned& value) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc()) return false;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

std::vector<unsigned> parseCpuList(std::string_view text) {
    std::vector<unsigned> cpus;
    while (!text.empty() && cpus.size() < kMostProcessors) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        while (!item.empty() && (item.back() == '\n' || item.back() == ' ')) item.remove_suffix(1);
        unsigned first = 0, last = 0;
        if (!readNumber(item, first)) continue;
        last = first;
        if (!item.empty() && item.front() == '-') {
            item.remove_prefix(1);
            if (!readNumber(item, last)) continue;
        }
        if (!item.empty() || last < first) continue;
        for (unsigned long long cpu = first; cpu <= last && cpus.size() < kMostProcessors; ++cpu)
            cpus.push_back(static_cast<unsigned>(cpu));
    }
    return cpus;
}
