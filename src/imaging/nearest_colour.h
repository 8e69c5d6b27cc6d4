#pragma once

#include <cstdint>
#include <vector>

namespace pictorn::imaging {

// Nearest palette entry by squared RGB distance. Entries are kept sorted by their position
// along the palette's principal axis; a search walks outwards from the query's position
// and stops once the distance along the axis alone exceeds the best match.
class NearestColour {
public:
    explicit NearestColour(const std::vector<std::uint32_t>& palette);
    int find(int r, int g, int b) const;

private:
    struct Entry {
        float position;
        int r, g, b;
        int index;
    };
    float axis_[3] = {0.57735f, 0.57735f, 0.57735f};
    std::vector<Entry> sorted_;
};

} // namespace pictorn::imaging
