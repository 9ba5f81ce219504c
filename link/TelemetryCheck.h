// What an exporter's author should hear about a message the display accepts:
// slips that lose data silently (a number not followed by a space, a short
// message), bytes the display skips, separators that are not one space, and
// values no instrument can show. The display itself never looks at these;
// velmora-decode prints them as warnings.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// One message as the scanner sees it: up to and including its "$" (anything
// after it is ignored). datagram: a whole UDP datagram, whose leading blanks
// the display skips (a TCP stream drops them between messages as a matter of
// course). targetFields: positions 34 and 35 reach the record (--target-fields).
// Returns one line of text per warning, in message order.
std::vector<std::string> TelemetryWarnings(std::string_view message, bool datagram, bool targetFields = false);

}  // namespace velmora
