#include "imaging/nearest_colour.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "imaging/picture.h"

namespace pictorn::imaging {

namespace {

// Direction of largest spread: a few power iterations on the covariance matrix.
void principalAxis(const std::vector<std::uint32_t>& palette, float axis[3]) {
    if (palette.size() < 2) {
        return;
    }
    double mean[3] = {0, 0, 0};
    for (const std::uint32_t c : palette) {
        mean[0] += redOf(c);
        mean[1] += greenOf(c);
        mean[2] += blueOf(c);
    }
    for (double& m : mean) {
        m /= static_cast<double>(palette.size());
    }
    double cov[3][3] = {};
    for (const std::uint32_t c : palette) {
        const double d[3] = {redOf(c) - mean[0], greenOf(c) - mean[1], blueOf(c) - mean[2]};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                cov[i][j] += d[i] * d[j];
            }
        }
    }
    double v[3] = {axis[0], axis[1], axis[2]};
    for (int iteration = 0; iteration < 16; ++iteration) {
        double next[3] = {};
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                next[i] += cov[i][j] * v[j];
            }
        }
        const double length = std::sqrt(next[0] * next[0] + next[1] * next[1] + next[2] * next[2]);
        if (length == 0) {
            return; // all entries equal: any axis will do
        }
        for (int i = 0; i < 3; ++i) {
            v[i] = next[i] / length;
        }
    }
    for (int i = 0; i < 3; ++i) {
        axis[i] = static_cast<float>(v[i]);
    }
}

} // namespace

NearestColour::NearestColour(const std::vector<std::uint32_t>& palette) {
    principalAxis(palette, axis_);
    sorted_.reserve(palette.size());
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const int r = redOf(palette[i]), g = greenOf(palette[i]), b = blueOf(palette[i]);
        sorted_.push_back(
            {axis_[0] * r + axis_[1] * g + axis_[2] * b, r, g, b, static_cast<int>(i)});
    }
    std::sort(sorted_.begin(), sorted_.end(),
              [](const Entry& x, const Entry& y) { return x.position < y.position; });
}

int NearestColour::find(int r, int g, int b) const {
    const float position = axis_[0] * r + axis_[1] * g + axis_[2] * b;
    const auto n = static_cast<std::ptrdiff_t>(sorted_.size());
    std::ptrdiff_t up = std::lower_bound(sorted_.begin(), sorted_.end(), position,
                                         [](const Entry& e, float p) { return e.position < p; }) -
                        sorted_.begin();
    std::ptrdiff_t down = up - 1;
    int best = std::numeric_limits<int>::max();
    int bestIndex = 0;
    // |position difference| <= RGB distance, as the axis has unit length; the small margin
    // covers float rounding.
    auto tooFar = [&](const Entry& e) {
        const float d = e.position - position;
        return d * d > static_cast<float>(best) + 1.0f;
    };
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
            const Entry& e = sorted_[static_cast<std::size_t>(up)];
            if (tooFar(e)) {
                up = n;
            } else {
                consider(e);
                ++up;
            }
        }
        if (down >= 0) {
            const Entry& e = sorted_[static_cast<std::size_t>(down)];
            if (tooFar(e)) {
                down = -1;
            } else {
                consider(e);
                --down;
            }
        }
    }
    return bestIndex;
}

} // namespace pictorn::imaging
