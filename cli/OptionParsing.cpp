#include "cli/OptionParsing.h"

#include <algorithm>
#include <vector>

namespace velmora {

void PrepareOptionTable(CLI::App& app) {
  app.set_help_flag();
  app.allow_extras();
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)->disable_flag_override();
}

std::optional<std::string> ParseOptionTable(CLI::App& app, std::span<const std::string_view> args) {
  std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes the last argument first
  try {
    app.parse(reversed);
  } catch (const BadOptionValue& bad) {
    return bad.message;
  } catch (const CLI::ArgumentMismatch& e) {
    // CLI11 words a missing value and a value given to a flag its own way;
    // both of its messages start with the option's name.
    const std::string what = e.what();
    if (const auto flag = what.find(" was given a disallowed flag override"); flag != std::string::npos)
      return "--" + what.substr(0, flag) + " takes no value";
    return what.substr(0, what.find(':')) + " needs a value";
  } catch (const CLI::ParseError& e) {
    return std::string(e.what());
  }
  return std::nullopt;
}

std::string OptionTableHelp(const CLI::App& app, std::size_t helpColumn) {
  std::string text;
  for (const CLI::Option* option : app.get_options()) {
    std::string name;
    for (const std::string& n : option->get_snames()) name += (name.empty() ? "  -" : ", -") + n;
    for (const std::string& n : option->get_lnames()) name += (name.empty() ? "  --" : ", --") + n;
    if (name.empty()) continue;  // a positional: the usage line names it
    if (option->get_type_size_max() > 0) name += " " + option->get_type_name();
    text += name;
    if (name.size() < helpColumn) {
      text.append(helpColumn - name.size(), ' ');
    } else {
      text += '\n';
      text.append(helpColumn, ' ');
    }
    for (const char c : option->get_description()) {
      text += c;
      if (c == '\n') text.append(helpColumn, ' ');
    }
    text += '\n';
  }
  return text;
}

}  // namespace velmora
