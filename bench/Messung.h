#pragma once

#include <algorithm>
#include <vector>

namespace kabel::bench {

// The middle value; the machines are shared, so medians say more than means.
inline double median(std::vector<double> werte) {
    std::sort(werte.begin(), werte.end());
    return werte[werte.size() / 2];
}

} // namespace kabel::bench
