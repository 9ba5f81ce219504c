// velmora-decode: shows an exporter's author what the display makes of their
// telemetry. Reads one UDP datagram (default) or one TCP stream (--tcp) from a
// file or stdin, applies it to a record that holds the start-up values, and
// prints every numeric field of the record.
#include "link/FlightData.h"
#include "link/Telemetry.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>

namespace velmora {
namespace {

void PrintHelp(std::ostream& out) {
  out << "Usage: velmora-decode [--tcp] [FILE]\n"
         "\n"
         "Reads telemetry from FILE (or standard input when FILE is absent or \"-\"),\n"
         "applies it to a flight data record that starts from the display's start-up\n"
         "values, and prints the record's 36 numeric fields, one \"Name value\" line\n"
         "each, in declared order. Each error goes to standard error as one line\n"
         "\"error: MESSAGE\"; the exit status is 1 if there was any error, else 0.\n"
         "\n"
         "Options:\n"
         "  --tcp       the input is one TCP stream: every complete message is\n"
         "              applied in order; a tail without \"$\" at the end is neither\n"
         "              applied nor an error. Without --tcp the whole input is one\n"
         "              UDP datagram (at most 8192 bytes reach the display over UDP).\n"
         "  -h, --help  show this text\n"
         "\n"
         "Message format: numbers, each followed by one space, closed by \"$\".\n"
         "Anything after the \"$\" is ignored (for instance a line end). A number is\n"
         "an optional sign, digits, optionally \".\" (or \",\") and digits, optionally\n"
         "e or E with an optional sign and digits; \"5.\", \".5\" and \"1e\" are valid.\n"
         "Text between the last space and \"$\" is not a field. Positions 34 to 40\n"
         "are checked but not used; a 41st field is an error. Positions a message\n"
         "does not reach keep their previous values. The radar altitude reads 0\n"
         "when the bank is beyond +/-65 or the radar altitude above 1480.\n"
         "\n"
         "Positions:\n";
  for (int pos = 1; pos <= kRecordPositions; ++pos)
    for (const auto& f : kFlightFields)
      if (f.position == pos) out << "  " << (pos < 10 ? " " : "") << pos << "  " << f.name << "\n";
  out << "  34..40  not used\n";
}

// One line per error: control bytes of a quoted field are shown escaped.
void PrintError(const TelemetryError& e) {
  std::string line = "error: ";
  for (unsigned char c : e.message) {
    if (c < 0x20 || c == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      line += hex;
    } else {
      line += static_cast<char>(c);
    }
  }
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

int Main(int argc, char** argv) {
  bool tcp = false;
  const char* path = nullptr;
  bool endOfOptions = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (!endOfOptions && (arg == "-h" || arg == "--help")) {
      PrintHelp(std::cout);
      return 0;
    }
    if (!endOfOptions && arg == "--tcp") {
      tcp = true;
    } else if (!endOfOptions && arg == "--") {
      endOfOptions = true;
    } else if (!endOfOptions && arg.size() > 1 && arg[0] == '-') {
      std::cerr << "velmora-decode: unknown option " << arg << "\n"
                << "Usage: velmora-decode [--tcp] [FILE]   (--help for details)\n";
      return 2;
    } else if (path) {
      std::cerr << "velmora-decode: only one FILE may be given\n";
      return 2;
    } else {
      path = argv[i];
    }
  }

  std::string input;
  if (!path || std::strcmp(path, "-") == 0) {
    std::ostringstream buffer;
    buffer << std::cin.rdbuf();
    input = buffer.str();
  } else {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
      std::cerr << "velmora-decode: cannot open " << path << ": " << std::strerror(errno) << "\n";
      return 2;
    }
    input.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  FlightData rec;
  ApplyStartupValues(rec);
  bool failed = false;
  if (tcp) {
    TcpStreamFramer framer;
    framer.Feed(input, rec, [&](const TelemetryError& e) {
      PrintError(e);
      failed = true;
    });
  } else if (auto error = ApplyDatagram(rec, input)) {
    PrintError(*error);
    failed = true;
  }

  std::string out;
  for (const auto& f : kFlightFields) {
    char number[64];
    const auto end = std::to_chars(number, number + sizeof number, rec.*f.member).ptr;
    out.append(f.name).append(" ").append(number, end).append("\n");
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return failed ? 1 : 0;
}

}  // namespace
}  // namespace velmora

int main(int argc, char** argv) { return velmora::Main(argc, argv); }
