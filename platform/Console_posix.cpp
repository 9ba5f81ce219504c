// A terminal program on POSIX systems: stdout and stderr are wherever the
// shell, the desktop or the service manager points them.
#include "platform/Console.h"

namespace velmora::platform {

void RouteOutput(const std::filesystem::path&, const std::filesystem::path&) {}

}  // namespace velmora::platform
