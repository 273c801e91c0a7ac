#include "sparring/session/agent_record.h"

#include <algorithm>
#include <cmath>

namespace sparring {

double quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0;
    const std::size_t rank = static_cast<std::size_t>(std::ceil(q * values.size()));
    const std::size_t index = rank == 0 ? 0 : std::min(values.size(), rank) - 1;
    std::nth_element(values.begin(), values.begin() + index, values.end());
    return values[index];
}

}  // namespace sparring
