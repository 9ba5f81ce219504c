// How a socket error introduces itself to users: Windows users know the
// socket layer by its own name, everyone else as plain sockets.
#pragma once

namespace velmora::platform {

#ifdef _WIN32
inline constexpr const char* kSocketErrorWords = "Windows socket error";
#else
inline constexpr const char* kSocketErrorWords = "Socket error";
#endif

}  // namespace velmora::platform
