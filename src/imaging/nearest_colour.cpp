#include "imaging/nearest_colour.h"

#include <algorithm>
#include <limits>

#include "imaging/picture.h"

namespace pictorn::imaging {

NearestColour::NearestColour(const std::vector<std::uint32_t>& palette) {
    sorted_.reserve(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint32_t c = palette[i];
        sorted_.push_back({redOf(c), greenOf(c), blueOf(c), static_cast<int>(i)});
    }
    std::sort(sorted_.begin(), sorted_.end(),
              [](const Entry& a, const Entry& b) { return a.g < b.g; });
}

int NearestColour::find(int r, int g, int b) const {
    const auto n = static_cast<std::ptrdiff_t>(sorted_.size());
    std::ptrdiff_t up = std::lower_bound(sorted_.begin(), sorted_.end(), g,
                                         [](const Entry& e, int value) { return e.g < value; }) -
                        sorted_.begin();
    std::ptrdiff_t down = up - 1;
    int best = std::numeric_limits<int>::max();
    int bestIndex = 0;
    auto consider = [&](const Entry& e) {
        const int dr = e.r - r, dg = e.g - g, db = e.b - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            bestIndex = e.index;
        }
    };
    while (up < n || down >= 0) {
        if (up < n) {
            const int dg = sorted_[static_cast<std::size_t>(up)].g - g;
            if (dg * dg >= best) {
                up = n;
            } else {
                consider(sorted_[static_cast<std::size_t>(up++)]);
            }
        }
        if (down >= 0) {
            const int dg = g - sorted_[static_cast<std::size_t>(down)].g;
            if (dg * dg >= best) {
                down = -1;
            } else {
                consider(sorted_[static_cast<std::size_t>(down--)]);
            }
        }
    }
    return bestIndex;
}

} // namespace pictorn::imaging
