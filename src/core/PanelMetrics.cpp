#include "PanelMetrics.h"

#include <algorithm>
#include <cmath>

namespace PanelMetrics {

double tallContentHeight(std::optional<double> visibleHeight)
{
    if (!visibleHeight)
        return shortHeight;
    return std::max(shortHeight, std::round(*visibleHeight * 2 / 3));
}

} // namespace PanelMetrics
