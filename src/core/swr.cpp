#include "swr.h"

#include <algorithm>
#include <cmath>

namespace tarvex {

double swr(double forward, double reflected) {
    if (!(forward > 0) || !(reflected > 0))
        return 1.0;
    const double rho = std::sqrt(reflected / forward);
    if (rho >= 1.0)
        return kSwrMax;
    return std::min(kSwrMax, (1 + rho) / (1 - rho));
}

} // namespace tarvex
