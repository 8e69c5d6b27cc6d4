#pragma once

#include <cstdint>
#include <vector>

namespace pictorn::imaging {

// Nearest palette entry by squared RGB distance. Entries are kept sorted by green, so a
// search walks outwards from the query's green and stops once green alone is too far.
class NearestColour {
public:
    explicit NearestColour(const std::vector<std::uint32_t>& palette);
    int find(int r, int g, int b) const;

private:
    struct Entry {
        int r, g, b;
        int index;
    };
    std::vector<Entry> sorted_;
};

} // namespace pictorn::imaging
