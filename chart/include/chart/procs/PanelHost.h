// The window a panel lives in: the platform's host of a drawn client.
#pragma once

#include "raster/PanelHost.h"

namespace kiv {

using IKivPanelHost = raster::IPanelHost;
using raster::TDeviceFactory;

} // namespace kiv
