// What the three programs share on top of CLI11: options are declared with
// their help line and a check that throws BadOptionValue with the user's
// message; Parse reports every mistake in our words; the help's option list
// is printed from the declarations.
#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velmora {

// Thrown by an option's check: the message names the option and the value.
struct BadOptionValue {
  std::string message;
};

// Settings every program wants: no built-in --help (each lists its own where
// it likes), unknown arguments left in app.remaining() for the program to
// name, a repeated option's last value wins, and a flag takes no "=value".
void PrepareOptionTable(CLI::App& app);

// Parses args (without the program name). Returns the error to show, or
// nullopt; arguments nothing claimed are in app.remaining() afterwards.
std::optional<std::string> ParseOptionTable(CLI::App& app, std::span<const std::string_view> args);

// The option list of --help: "  -s, --name VALUE", the help text from
// helpColumn (on the next line when the name reaches that far), and each
// further line of a help text indented to helpColumn.
std::string OptionTableHelp(const CLI::App& app, std::size_t helpColumn);

}  // namespace velmora
