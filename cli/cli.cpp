#include "cli/cli.h"

#include "core/base/text_util.h"
#include "core/image/imaging.h"

#include <wx/init.h>
#include <CLI/CLI.hpp>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <utility>

namespace veilmark::cli {

namespace {

constexpr char kProgram[] = "veilmark-cli";

void PrintOverallHelp(std::ostream& out) {
  out << "Usage: " << kProgram << " COMMAND [OPTIONS] [OPERANDS]\n"
      << "       " << kProgram << " COMMAND --help\n\n"
      << "Hides files and messages in images, finds them again, and encrypts files,\n"
      << "folders and messages with Veilmark's formats.\n\nCommands:\n";
  for (const Command& c : Commands()) {
    std::string head = "  " + c.name;
    head.resize(std::max<std::size_t>(head.size() + 2, 18), ' ');
    out << head << c.summary << "\n";
  }
  out << "\nPasswords are never taken from the command line. They are read from a file or\n"
      << "standard input, one per line (up to five, tried in order; the first one\n"
      << "encrypts); otherwise the passwords stored by the desktop program are used (the\n"
      << "selected one encrypts); when none is stored they are asked for on the terminal.\n\n"
      << "Exit status: 0 success, 1 the operation failed, 2 usage error.\n";
}

// Help in the program's own layout, drawn from the CLI11 description of a subcommand:
// usage, summary, details (the footer) and one line per option.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    std::vector<const CLI::Option*> options;
    for (const CLI::Option* o : app->get_options())
      if (!o->get_group().empty() && !o->get_lnames().empty()) options.push_back(o);
    const CLI::Option* operands = app->get_option_no_throw(kOperands);
    const std::string synopsis = operands ? operands->get_type_name() : std::string();
    std::ostringstream out;
    out << "Usage: " << kProgram << " " << app->get_name() << (options.empty() ? "" : " [OPTIONS]")
        << (synopsis.empty() ? "" : " " + synopsis) << "\n\n"
        << app->get_description() << "\n\n"
        << app->get_footer();
    if (!options.empty()) out << "\nOptions:\n";
    for (const CLI::Option* o : options) {
      const std::string value = o->get_type_name();
      std::string head = "  --" + o->get_lnames().front() + (value.empty() ? "" : " " + value);
      head.resize(std::max<std::size_t>(head.size() + 2, 26), ' ');
      out << head << o->get_description() << "\n";
    }
    return out.str();
  }

  static constexpr const char* kOperands = "operands";
};

// A subcommand as CLI11 parses it, with the places its results land in.
struct Parser {
  CLI::App app;
  std::vector<std::string> operands;
  CLI::Option* help = nullptr;
  std::vector<std::pair<const Option*, CLI::Option*>> options;

  explicit Parser(const Command& c) : app(c.summary, c.name) {
    app.formatter(std::make_shared<HelpFormatter>());
    app.footer(c.details);
    app.set_help_flag();
    app.allow_extras();  // unknown options are reported below, in our words
    // CLI11 takes "/name" for an option on Windows; here it is a path, as everywhere else.
    app.allow_windows_style_options(false);
    // Hidden (no group): listed by no help.
    help = app.add_flag("-h,--help")->group("");
    for (const Option& o : c.options) {
      CLI::Option* added = o.valueName.empty()
                               ? app.add_flag(o.name)->disable_flag_override()
                               : app.add_option(o.name)->type_name(o.valueName)->expected(1);
      added->description(o.help);
      // Every occurrence is kept, so that a repeated option can be refused.
      added->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
      options.emplace_back(&o, added);
    }
    app.add_option(HelpFormatter::kOperands, operands)->type_name(c.operands)->group("");
  }
};

void PrintCommandHelp(const Command& c, std::ostream& out) { out << Parser(c).app.help(); }

const Command* FindCommand(const std::string& name) {
  for (const Command& c : Commands())
    if (c.name == name) return &c;
  return nullptr;
}

const Option* FindOption(const Command& c, const std::string& name) {
  for (const Option& o : c.options)
    if (o.name == name) return &o;
  return nullptr;
}

// What a CLI11 argument mismatch is about, in the words of the other usage errors: the first
// option before "--" that is written with a value it does not take or lacks the one it needs.
std::string MismatchText(const Command& c, const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
    const std::size_t eq = args[i].find('=');
    const Option* o = FindOption(c, args[i].substr(0, eq));
    if (!o) continue;
    if (o->valueName.empty()) {
      if (eq != std::string::npos) return "option '" + o->name + "' takes no value";
    } else if (eq != std::string::npos ? eq + 1 == args[i].size()
                                       : i + 1 == args.size() || args[i + 1] == "--") {
      return "option '" + o->name + "' needs a value";
    } else if (eq == std::string::npos) {
      ++i;
    }
  }
  return {};
}

// Whether a help request comes before every unknown option: the arguments are answered in
// their order, the first one that settles it wins.
bool HelpComesFirst(const std::vector<std::string>& args, const std::vector<std::string>& unknown) {
  for (const std::string& arg : args) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") return true;
    if (std::find(unknown.begin(), unknown.end(), arg) != unknown.end()) return false;
  }
  return true;
}

// Parses the arguments after the subcommand name: "--name value", "--name=value", "--"
// (everything after it is an operand). An unknown or repeated option is a usage error.
bool Parse(const Command& command, int argc, char** argv, Invocation& inv, bool& help) {
  inv.command = command.name;
  Parser parser(command);
  const std::vector<std::string> args(argv, argv + argc);
  // "--name=value" goes in as two arguments: CLI11 would take "--message=" with nothing
  // after the "=" as asking for the next argument, where an empty value was meant.
  std::vector<std::string> split;
  bool ended = false;
  for (const std::string& arg : args) {
    ended = ended || arg == "--";
    const std::size_t eq = arg.find('=');
    const Option* o =
        ended || eq == std::string::npos ? nullptr : FindOption(command, arg.substr(0, eq));
    if (o && !o->valueName.empty()) {
      split.push_back(o->name);
      split.push_back(arg.substr(eq + 1));
    } else {
      split.push_back(arg);
    }
  }
  try {
    parser.app.parse(std::vector<std::string>(split.rbegin(), split.rend()));
  } catch (const CLI::ParseError& e) {
    // As before, a help request ahead of the fault is answered.
    if (parser.help->count() > 0) {
      help = true;
      return true;
    }
    const std::string text = MismatchText(command, args);
    UsageError(command.name, text.empty() ? std::string(e.what()) : text);
    return false;
  }
  std::vector<std::string> unknown = parser.app.remaining();
  unknown.erase(std::remove(unknown.begin(), unknown.end(), "--"), unknown.end());
  if (parser.help->count() > 0 && HelpComesFirst(split, unknown)) {
    help = true;
    return true;
  }
  if (!unknown.empty()) {
    UsageError(command.name,
               "unknown option '" + unknown.front().substr(0, unknown.front().find('=')) + "'");
    return false;
  }
  for (const auto& [option, parsed] : parser.options) {
    if (parsed->count() == 0) continue;
    // Which of two values was meant is a guess no script should depend on.
    if (parsed->count() > 1) {
      UsageError(command.name, "option '" + option->name + "' is given more than once");
      return false;
    }
    if (option->valueName.empty())
      inv.flags.insert(option->name);
    else
      inv.values[option->name] = parsed->results().front();
  }
  inv.operands = parser.operands;
  const int count = static_cast<int>(inv.operands.size());
  if (count < command.minOperands || (command.maxOperands >= 0 && count > command.maxOperands)) {
    UsageError(command.name, command.operands.empty()      ? "takes no operands"
                             : count < command.minOperands ? "missing operand: " + command.operands
                                                           : "too many operands");
    return false;
  }
  return true;
}

}  // namespace

const Option& PasswordFileOption() {
  static const Option option{"--password-file", "FILE",
                             "read the passwords from FILE, one per line"};
  return option;
}

const Option& PasswordStdinOption() {
  static const Option option{"--password-stdin", "",
                             "read the passwords from standard input, one per line"};
  return option;
}

const Option& ForceOption() {
  static const Option option{"--force", "", "replace an output file that already exists"};
  return option;
}

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = [] {
    std::vector<Command> list;
    AddCryptoCommands(list);
    AddFolderCommands(list);
    AddImageCommands(list);
    AddSlotsCommand(list);
    return list;
  }();
  return commands;
}

void PrintError(const std::string& message) {
  std::string text;
  text.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i)
    if (message[i] != '\r' || i + 1 >= message.size() || message[i + 1] != '\n') text += message[i];
  std::cerr << kProgram << ": " << text << std::endl;
}

std::string Quoted(const std::filesystem::path& path) {
  return "'" + VisibleText(path.u8string()) + "'";
}

int UsageError(const std::string& command, const std::string& message) {
  PrintError((command.empty() ? "" : command + ": ") + message);
  std::cerr << "Try '" << kProgram << (command.empty() ? "" : " " + command) << " --help'."
            << std::endl;
  return kExitUsage;
}

int Main(int argc, char** argv) {
#ifdef SIGXFSZ
  // Past a file-size limit, let writes fail and be cleaned up rather than kill us midway.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  if (argc < 2) {
    PrintOverallHelp(std::cerr);
    return kExitUsage;
  }
  const std::string name = argv[1];
  if (name == "--help" || name == "-h" || name == "help") {
    if (argc > 2) {
      if (const Command* c = FindCommand(argv[2])) {
        PrintCommandHelp(*c, std::cout);
        return kExitOk;
      }
      return UsageError("", "unknown command '" + std::string(argv[2]) + "'");
    }
    PrintOverallHelp(std::cout);
    return kExitOk;
  }
  const Command* command = FindCommand(name);
  if (!command) return UsageError("", "unknown command '" + name + "'");
  Invocation inv;
  bool help = false;
  if (!Parse(*command, argc - 2, argv + 2, inv, help)) return kExitUsage;
  if (help) {
    PrintCommandHelp(*command, std::cout);
    return kExitOk;
  }
  // The image codecs and the settings store belong to wxWidgets.
  wxInitializer wx;
  wxDISABLE_ASSERTS_IN_RELEASE_BUILD();  // never stop a script to ask about a decoder check
  if (!wx.IsOk()) {
    PrintError("cannot initialise wxWidgets");
    return kExitFailed;
  }
  image::InitImageHandlers();
  return command->run(inv);
}

}  // namespace veilmark::cli
